// The floor for scripts/startup-bench.sh: a bare Qt Widgets window of the same
// kind and size as the main window (six Japanese labels, a progress bar, four
// buttons, a 30-second timer) and nothing else: no files, no fonts chosen, no
// single-instance check. The program's start-up is compared against it, so the
// comparison holds on any machine.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("startup floor"));
    window.setFixedSize(375, 222);
    auto* layout = new QVBoxLayout(&window);
    const char* lines[] = {"卒煙してから",     "延びた寿命", "節約できた金額",
                           "吸わなかった本数", "今日の一言", "称号"};
    for (const char* line : lines) layout->addWidget(new QLabel(QString::fromUtf8(line), &window));
    auto* progress = new QProgressBar(&window);
    progress->setValue(40);
    layout->addWidget(progress);
    auto* buttons = new QHBoxLayout;
    for (const char* text : {"コピ１", "コピ２", "ＢＢＳ", "設定"})
        buttons->addWidget(new QPushButton(QString::fromUtf8(text), &window));
    layout->addLayout(buttons);
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, progress, [progress] { progress->setValue(41); });
    refresh.start(30000);
    window.show();
    return app.exec();
}

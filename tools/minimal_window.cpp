// The yardstick of scripts/benchmark.sh: an empty Qt Widgets window of the
// main window's size, to compare start-up time and memory against. With
// --japanese it shows one line in the program's Japanese font, which tells
// how much of the difference the font alone accounts for.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("minimal"));
    w.setFixedSize(375, 222);
    if (app.arguments().contains(QStringLiteral("--japanese"))) {
        QApplication::setFont(QFont(QStringLiteral("IPAGothic"), 9));
        auto* label = new QLabel(QStringLiteral("卒煙からの日数 ０年１ヶ月４日２３時間３０分"), &w);
        label->move(8, 8);
    }
    w.show();
    return app.exec();
}

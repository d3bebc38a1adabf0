// The yardstick of scripts/benchmark.sh: an empty Qt Widgets window of the
// main window's size, to compare start-up time and memory against.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("minimal"));
    w.setFixedSize(375, 222);
    w.show();
    return app.exec();
}

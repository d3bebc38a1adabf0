#include "dialogs/help_window.h"

#include <QEvent>
#include <QFile>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <algorithm>


namespace kemless {

QString HelpWindow::GuideText() {
    QFile f(QStringLiteral(":/kemless/help.txt"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

HelpWindow::HelpWindow(QWidget* parent) : DialogWindow(parent) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("  (?_?) - help"));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("guideText"));
    text_->setReadOnly(true);
    text_->setPlainText(GuideText());
    text_->setAccessibleName(QStringLiteral("ケムレスヘルプ"));
    text_->move(0, 0);
    resize(kDesignedSize);
    // Escape closes the guide like its close box; nothing else depends on it.
    setEscapeAction([this] { close(); });

    fitTextBox();
}

void HelpWindow::fitTextBox() {
    // A minimised window keeps the box as it was; restoring refits it.
    if (windowState() & Qt::WindowMinimized) return;
    text_->setGeometry(0, 0, width(), height());
}

void HelpWindow::fitInto(const QRect& area, const QMargins& frame) {
    const QSize room = area.size().shrunkBy(frame);
    const QSize fitted = size().boundedTo(room).expandedTo(QSize(1, 1));
    if (size() != fitted) {
        resize(fitted);
        // A hidden window hears of the resize only when shown.
        fitTextBox();
    }
    // The corner, so that the frame's far edges stay on the screen.
    // pos() is where the frame starts.
    const QRect outer(pos(), size().grownBy(frame));
    const int left = std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width()));
    const int top = std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height()));
    if (QPoint(left, top) != pos()) move(left, top);
}

void HelpWindow::fitToScreen() {
    QScreen* s = screen();
    if (s == nullptr) return;
    // Before the desktop frames the window its frame is unknown; a title
    // bar's worth is kept free, and the real frame is used once shown.
    const QMargins frame = isVisible() && frameGeometry() != geometry()
                               ? QMargins(geometry().left() - frameGeometry().left(),
                                          geometry().top() - frameGeometry().top(),
                                          frameGeometry().right() - geometry().right(),
                                          frameGeometry().bottom() - geometry().bottom())
                               : QMargins(8, 32, 8, 8);
    fitInto(s->availableGeometry(), frame);
}

void HelpWindow::showEvent(QShowEvent* e) {
    DialogWindow::showEvent(e);
    fitToScreen();
    // Once more when the desktop has framed it.
    QTimer::singleShot(250, this, [this] { fitToScreen(); });
}

void HelpWindow::resizeEvent(QResizeEvent* e) {
    DialogWindow::resizeEvent(e);
    fitTextBox();
}

void HelpWindow::changeEvent(QEvent* e) {
    DialogWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) fitTextBox();
}

}  // namespace kemless

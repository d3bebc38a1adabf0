#include "dialogs/help_window.h"

#include <QEvent>
#include <QFile>
#include <QPlainTextEdit>

#include "desktop/accessibility.h"
#include "desktop/placement.h"

namespace kemless {

QString HelpWindow::GuideText() {
    QFile f(QStringLiteral(":/kemless/help.txt"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

HelpWindow::HelpWindow(QWidget* parent)
    : DialogWindow(QStringLiteral("helpWindow"), QStringLiteral("  (?_?) - help"), parent) {
    DescribeWindow(this, WindowKind::Window, QStringLiteral("ケムレスヘルプ"));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("guideText"));
    text_->setReadOnly(true);
    // A caret the arrow keys move, so a screen reader reads the line it
    // comes to; the guide stays read-only.
    text_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    text_->setPlainText(GuideText());
    text_->setAccessibleName(QStringLiteral("ヘルプの本文"));
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
    const QSize fitted = size().boundedTo(RoomInside(area, frame));
    if (size() != fitted) {
        resize(fitted);
        // A hidden window hears of the resize only when shown.
        fitTextBox();
    }
    // pos() is where the frame starts.
    const QPoint corner = CornerInside(area, QRect(pos(), size().grownBy(frame)));
    if (corner != pos()) move(corner);
}

void HelpWindow::fitToScreen() {
    const QRect area = AvailableArea(this);
    if (area.isValid()) fitInto(area, FrameOrAssumed(this));
}

void HelpWindow::showEvent(QShowEvent* e) {
    DialogWindow::showEvent(e);
    fitToScreen();
    // Once more when the desktop has framed it.
    AgainOnceFramed(this, [this] { fitToScreen(); });
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

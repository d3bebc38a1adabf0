#include "dialogs/side_window.h"

#include <QAbstractButton>
#include <QShowEvent>

#include "desktop/placement.h"

namespace kemless {

QString SideWindowCaption(const SideWindowName& window) {
    return QString::fromUtf8(window.title) + QStringLiteral(" - ケムレス");
}

SideWindow::SideWindow(const QString& objectName, const QString& caption, QWidget* parent)
    : DialogWindow(objectName, caption, parent) {
    setEscapeAction([this] { close(); });
    // Outside a dialog Qt leaves Enter to the window: here it presses the
    // focused button, as Space does.
    setEnterAction([this] {
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget())) button->click();
    });
}

void SideWindow::fitInto(const QRect& area, const QMargins& frame) {
    const QSize room = RoomInside(area, frame);
    const QSize fitted = size().boundedTo(room).expandedTo(minimumSizeHint());
    if (fitted != size()) resize(fitted);
    const QRect outer(pos(), size().grownBy(frame));
    if (const QPoint corner = CornerInside(area, outer); corner != pos()) move(corner);
}

void SideWindow::showEvent(QShowEvent* e) {
    DialogWindow::showEvent(e);
    const QRect area = AvailableArea(this);
    if (!area.isValid()) return;
    if (!placed_) {
        // The first time in the middle of the screen; later where the user left it.
        placed_ = true;
        const QSize outer = size().grownBy(FrameOrAssumed(this));
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
    fitInto(area, FrameOrAssumed(this));
    // Once more when the desktop has framed it.
    AgainOnceFramed(this, [this] {
        if (const QRect a = AvailableArea(this); a.isValid()) fitInto(a, FrameOrAssumed(this));
    });
}

}  // namespace kemless

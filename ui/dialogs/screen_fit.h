#pragma once
// Keeping a window with its frame on the screen's free area.
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kemless {

// The frame the desktop put around a window; before it is framed, a title
// bar's worth and thin borders, so a window sized by it still fits once the
// real frame comes.
inline QMargins FrameOrAssumed(const QWidget* window) {
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    if (window->isVisible() && outer != inner)
        return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                outer.bottom() - inner.bottom()};
    return {8, 32, 8, 8};
}

// The room a window has inside `area` once its frame is taken off.
inline QSize RoomInside(const QRect& area, const QMargins& frame) {
    return area.size().shrunkBy(frame).expandedTo(QSize(1, 1));
}

// The frame corner that keeps `outer` inside `area`: moved left and up only
// as far as needed, and never beyond the area's top left.
inline QPoint CornerInside(const QRect& area, const QRect& outer) {
    const int left = std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width()));
    const int top = std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height()));
    return {left, top};
}

// The free area of the screen the window is on.
inline QRect AvailableArea(const QWidget* window) {
    const QScreen* s = window->screen();
    return s != nullptr ? s->availableGeometry() : QRect();
}

}  // namespace kemless

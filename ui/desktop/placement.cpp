#include "desktop/placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <utility>

#include "desktop/twips.h"

namespace kemless {
namespace {

// How long the desktop takes to frame a window it was just asked to show.
constexpr int kFramedAfterMs = 250;

QScreen* ScreenOf(const QWidget* window, QPoint at) {
    if (QScreen* s = QGuiApplication::screenAt(at)) return s;
    if (window != nullptr && window->screen() != nullptr) return window->screen();
    return QGuiApplication::primaryScreen();
}

// The screen's available area, in whole device pixels at its scale.
QRect Usable(const QScreen* screen) {
    const QRect a = screen->availableGeometry();
    const Area whole = WholePixels({a.x(), a.y(), a.width(), a.height()}, screen->devicePixelRatio());
    return {whole.left, whole.top, whole.width, whole.height};
}

// The corner that keeps the window's outer frame inside the screen's
// available area, or `wanted` itself where it already fits.
QPoint Inside(const QWidget* window, QPoint wanted, QMargins frame) {
    QScreen* screen = ScreenOf(window, wanted);
    if (screen == nullptr) return wanted;
    return CornerInside(Usable(screen), QRect(wanted, window->size().grownBy(frame)));
}

// The corner the placer put a display window at, in pixels and as the
// twips it came from: a window still there stores those twips unchanged.
const char* const kPlacedAt = "kemlessPlacedAt";
const char* const kPlacedCorner = "kemlessPlacedCorner";

// Once a window is on the screen and framed, the corner is checked again
// with its own frame: before that only the frame of an earlier window was
// known (none at the first start), and a frame wider than that would reach
// past the screen's edge. Moving it in is the only change.
void RefitWhenFramed(QWidget* window) {
    auto fit = [window] {
        const QPoint corner = Inside(window, window->pos(), WindowPlacer::FrameOf(window));
        if (window->isVisible() && window->pos() != corner) window->move(corner);
    };
    if (window->isVisible()) {
        AgainOnceFramed(window, fit);
        return;
    }
    // Loaded hidden: the check waits for the first show.
    class FirstShow : public QObject {
    public:
        FirstShow(QWidget* w, std::function<void()> f) : QObject(w), fit_(std::move(f)) {
            w->installEventFilter(this);
        }
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Show) {
                AgainOnceFramed(static_cast<QWidget*>(parent()), fit_);
                deleteLater();
            }
            return false;
        }

    private:
        std::function<void()> fit_;
    };
    new FirstShow(window, fit);
}

}  // namespace

QRect AvailableArea(const QWidget* window) {
    const QScreen* s = window->screen();
    return s != nullptr ? Usable(s) : QRect();
}

QMargins FrameOrAssumed(const QWidget* window) {
    if (window->isVisible() && window->frameGeometry() != window->geometry())
        return WindowPlacer::FrameOf(window);
    return {8, 32, 8, 8};
}

QSize RoomInside(const QRect& area, const QMargins& frame) {
    return area.size().shrunkBy(frame).expandedTo(QSize(1, 1));
}

QPoint CornerInside(const QRect& area, const QRect& outer) {
    const Corner c = KeepInside({outer.x(), outer.y()}, outer.width(), outer.height(),
                                {area.x(), area.y(), area.width(), area.height()});
    return {c.left, c.top};
}

void AgainOnceFramed(QWidget* window, std::function<void()> fit) {
    QTimer::singleShot(kFramedAfterMs, window, std::move(fit));
}

std::optional<Corner> CornerToStore(QWidget* window, bool positionsKnown) {
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (!positionsKnown) return std::nullopt;
    return WindowPlacer::CornerOf(window);
}

void StandInPlaceOf(QWidget* next, const QWidget* previous) { next->move(previous->pos()); }

void BringToFront(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void RemapIfMinimised(QWidget* window, bool positionsKnown) {
    if (positionsKnown || !window->isMinimized()) return;
    window->hide();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}

Corner WindowPlacer::CornerOf(const QWidget* window) {
    const QVariant at = window->property(kPlacedAt);
    if (at.isValid() && at.toPoint() == window->pos()) {
        const QPoint corner = window->property(kPlacedCorner).toPoint();
        return {corner.x(), corner.y()};
    }
    return CornerOf(window->pos());
}

Corner WindowPlacer::CornerOf(QPoint pixels) {
    return {RoundTwips(pixels.x() * double(kTwipsPerPixel)), RoundTwips(pixels.y() * double(kTwipsPerPixel))};
}

std::pair<int32_t, int32_t> WindowPlacer::ScreenTwips(const QWidget* window) {
    QScreen* screen = window != nullptr && window->screen() != nullptr ? window->screen()
                                                                       : QGuiApplication::primaryScreen();
    if (screen == nullptr) return {1024 * kTwipsPerPixel, 768 * kTwipsPerPixel};
    const QRect g = screen->geometry();
    return {g.width() * kTwipsPerPixel, g.height() * kTwipsPerPixel};
}

QMargins WindowPlacer::FrameOf(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

Corner WindowPlacer::placeDisplayWindow(QWidget* window, Corner stored, Margins margins) const {
    const auto [width, height] = ScreenTwips(window);
    const bool chosen = RuleRecentres(stored, width, height, margins);
    Corner c = PlaceWindow(stored, width, height, margins);
    const QPoint wanted(Px(c.left), Px(c.top));
    if (!chosen) {
        // The user's own corner, which the rule keeps: used exactly, also
        // where the window then hangs over an edge (only the corner is
        // tested), and stored back unchanged while the window stays there.
        window->move(wanted);
        window->setProperty(kPlacedAt, wanted);
        window->setProperty(kPlacedCorner, QPoint(c.left, c.top));
        return c;
    }
    // The program chose the middle of the screen: there the whole window
    // fits, frame included. A window's position is that of its frame's
    // corner; the frame is the one the desktop drew around the last display
    // window (none before), and the real one once it is framed.
    const QPoint fitted = Inside(window, wanted, frame_);
    if (fitted != wanted) c = CornerOf(fitted);
    window->move(fitted);
    window->setProperty(kPlacedAt, QVariant());
    RefitWhenFramed(window);
    return c;
}

void WindowPlacer::placeAtCorner(QWidget* dialog, Corner corner) const {
    const QPoint wanted(Px(corner.left), Px(corner.top));
    auto fit = [dialog, wanted](QMargins frame) {
        const QPoint corner = Inside(dialog, wanted, frame);
        if (dialog->pos() != corner) dialog->move(corner);
    };
    dialog->adjustSize();
    fit(frame_);
    AgainOnceFramed(dialog, [dialog, fit] { fit(FrameOf(dialog)); });
}

void WindowPlacer::learnFrame(const QWidget* window) {
    if (window->isVisible()) frame_ = FrameOf(window);
}

}  // namespace kemless

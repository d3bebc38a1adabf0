#pragma once
// Where the windows stand on the screen, how they come into view and where
// they leave from: the display windows by their stored corners, the dialogs
// where the main window stood, all kept wholly on the screen. Corners are
// stored in twips; the screen speaks pixels.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>
#include <utility>

#include "geometry/placement.h"

class QWidget;

namespace kemless {

// The free area of the screen the window is on (empty without a screen).
QRect AvailableArea(const QWidget* window);
// The frame the desktop put around a window; before it is framed, a title
// bar's worth and thin borders, so a window sized by it still fits once the
// real frame comes.
QMargins FrameOrAssumed(const QWidget* window);
// The room a window has inside `area` once its frame is taken off.
QSize RoomInside(const QRect& area, const QMargins& frame);
// The frame corner that keeps `outer` inside `area`: moved left and up only
// as far as needed, and never beyond the area's top left.
QPoint CornerInside(const QRect& area, const QRect& outer);
// A window placed before the desktop framed it is checked again a moment
// later, with its own frame: `fit` runs then, as long as the window lives.
void AgainOnceFramed(QWidget* window, std::function<void()> fit);

// Where a window leaves from, to be stored: the corner of the restored
// window (out of minimised or maximised first), never the minimised one.
// Nothing where the desktop keeps positions to itself (`positionsKnown`
// false): a position the program never learnt must not replace a real one.
std::optional<Corner> CornerToStore(QWidget* window, bool positionsKnown);
// The next window of a sequence (setup, ceremony, mini window) where the
// one before it stands.
void StandInPlaceOf(QWidget* next, const QWidget* previous);
// Back into view and given the keyboard: out of minimised, shown, raised.
void BringToFront(QWidget* window);
// Native Wayland (`positionsKnown` false): a client cannot take its own
// window out of minimised, so a minimised window is mapped afresh.
void RemapIfMinimised(QWidget* window, bool positionsKnown);

class WindowPlacer {
public:
    // Where a window stands, in whole twips: the corner it was placed at
    // while it stands there still, so a stored corner survives the round
    // trip through pixels unchanged.
    static Corner CornerOf(const QWidget* window);
    static Corner CornerOf(QPoint pixels);
    // The size of the window's screen (or the primary one) in twips.
    static std::pair<int32_t, int32_t> ScreenTwips(const QWidget* window);
    // What the desktop draws around a window (title bar, borders).
    static QMargins FrameOf(const QWidget* window);

    // A display window at its stored corner by the placement rule (a corner
    // too far right or down goes to the middle of the screen, negatives to
    // 0). A corner the rule keeps is used exactly, even where the window
    // then hangs over an edge. Only where the rule chose the middle is the
    // window moved left and up as far as needed to fit, frame included, in
    // whole device pixels. Returns the corner it ends at, the one to store.
    Corner placeDisplayWindow(QWidget* window, Corner stored, Margins margins) const;
    // A dialog (or the notice in its place) where the main window stood, but
    // wholly on the screen: moved left and up only as far as needed. Before
    // the desktop frames it, the frame is that of the window it replaces;
    // once framed it is checked again with its own.
    void placeAtCorner(QWidget* dialog, Corner corner) const;
    // The frame of a shown window, for the windows placed after it.
    void learnFrame(const QWidget* window);

private:
    QMargins frame_;
};

}  // namespace kemless

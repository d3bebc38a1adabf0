#pragma once
// A clear ring around the control that has the keyboard, in every window of
// the program: two pixels wide and one pixel outside the control, so it
// never covers the text it marks, in a colour that stands out at least 3:1
// from the window around it (the program's blue, or white or black on
// colours the user chose). A pixel of a contrasting colour (white by a dark
// ring, black by a light one) runs along it on both sides, so that the mark
// stands out from whatever lies beside it, dark or light, another control
// included. A transparent layer on top of the window draws
// it, so every kind of control gets the same ring, the program's own
// pictures and lines too.
#include <QColor>
#include <QRect>

class QWidget;

namespace kemless {

// From now on, for every window of the application.
void ShowFocusRings();

// The ring of `control` also takes in `companion` (a value line and its
// heading are one stop for the keyboard, and one mark).
void RingAlsoAround(QWidget* control, QWidget* companion);

// What the ring of `control` surrounds, in its window's coordinates.
QRect FocusMarkedArea(const QWidget* control);
// The ring's colour for `control`, from what lies around it.
QColor FocusRingColorFor(const QWidget* control);
// The colour of the lines along both sides of the ring.
QColor FocusHaloColorFor(const QWidget* control);

// Width of the ring and of the gap between it and what it marks, in pixels.
// The gap is filled with the contrasting line; another line of it runs
// outside the ring.
inline constexpr int kFocusRingWidth = 2;
inline constexpr int kFocusRingGap = 1;
inline constexpr int kFocusRingHalo = 1;
// From the marked area to the outer edge of the mark.
inline constexpr int kFocusMarkReach = kFocusRingGap + kFocusRingWidth + kFocusRingHalo;

}  // namespace kemless

#pragma once
// Which windowing system the program asks Qt for.
#include <QByteArray>

namespace kemless {

// The X11 platform wherever an X server is reachable (`display` set), also
// inside a Wayland session through XWayland: there the windows can be placed
// and their positions stored, which native Wayland does not allow. Native
// Wayland stays the fallback where one could be reached (`waylandReachable`:
// WAYLAND_DISPLAY or XDG_RUNTIME_DIR set; without either, libwayland only
// adds an English line of its own to ours). Empty: the user chose
// (QT_QPA_PLATFORM or -platform), or there is no X server, and Qt decides.
QByteArray PreferredPlatform(bool userChose, const QByteArray& display, bool waylandReachable);

// Around the application object's construction: Qt ends a program whose
// windowing system cannot be reached with its own lines and an abort. This
// says it in one line of ours and exits with 1 instead; anything else Qt says
// meanwhile is passed on once the construction is over. From the guard on,
// Qt's note about a missing runtime folder is left out for good.
void GuardWindowSystemStart();
void EndWindowSystemGuard();

}  // namespace kemless

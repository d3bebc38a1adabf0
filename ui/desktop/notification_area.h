#pragma once
// Whether the desktop has a notification area is learnt from what the
// desktop says when that changes, never by asking again and again, so a
// program waiting in the area sleeps between its refreshes. On X11 the area
// is the owner of the selection _NET_SYSTEM_TRAY_S<screen>: XFixes reports
// each change of owner as an event. A StatusNotifier host (KDE, GNOME with
// the AppIndicator extension) comes and goes on the session bus.
#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>

namespace kemless {

class NotificationAreaWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit NotificationAreaWatch(QObject* parent = nullptr);

    // Whether the X11 selection is watched (an X11 display with XFixes).
    bool watchesX11() const { return trayAtom_ != 0; }
    // True when the X11 selection is watched and nobody owns it now, as the
    // last event said: no X11 notification area.
    bool x11AreaGone() const { return trayAtom_ != 0 && trayOwner_ == 0; }
    // Whether a StatusNotifier watcher is on the session bus: then the
    // icon lives there, not in an X11 tray.
    static bool statusNotifierHostThere();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // A notification area may have come or gone: ask the desktop again.
    void changed();

private:
    void watchX11();
    void watchSessionBus();

    uint8_t selectionNotify_ = 0;  // XFixes' SelectionNotify event code on this display
    uint32_t trayAtom_ = 0;
    uint32_t trayOwner_ = 0;  // the window owning the selection, 0 for none
};

}  // namespace kemless

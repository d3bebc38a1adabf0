#include "companion/tray_presence.h"

#include "desktop/desktop.h"
#include "session/session.h"
#include "windows/tray_icon.h"

namespace kemless {

TrayPresence::TrayPresence(Session& session, Desktop& desktop, QObject* parent)
    : QObject(parent), session_(session), desktop_(desktop) {
    settled_.setSingleShot(true);
    settled_.setInterval(kAreaSettleMs);
    connect(&settled_, &QTimer::timeout, this, &TrayPresence::areaChanged);
    connect(&session_, &Session::hiddenInArea, this, &TrayPresence::watch);
    connect(&session_, &Session::startedHidden, this, [this](bool waitingForArea) {
        waitingForArea_ = waitingForArea;
        watch();
    });
    connect(&session_, &Session::broughtForward, this, [this] { waitingForArea_ = false; });
}

void TrayPresence::watch() {
    if (watched_) return;
    watched_ = true;
    // Both looks follow an event; nothing is asked in between.
    desktop_.watchNotificationArea(this, [this] {
        settled_.start();
        // Looked at once the events of the moment are in.
        if (checkQueued_) return;
        checkQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            checkQueued_ = false;
            areaChanged();
        });
    });
}

void TrayPresence::areaChanged() {
    if (!desktop_.trayAvailable()) {
        // The area went away: a window hidden in it would be lost.
        for (DisplayWindow* w : {static_cast<DisplayWindow*>(session_.mainWindow()),
                                 static_cast<DisplayWindow*>(session_.miniWindow())})
            if (w != nullptr && w->trayIcon()->isShown()) {
                session_.bringForward();
                return;
            }
        return;
    }
    if (!waitingForArea_) return;
    waitingForArea_ = false;
    // Only a window still as the start left it: one the user has opened
    // from the task bar meanwhile stays where it is.
    DisplayWindow* w = session_.windowOfTheMode();
    if (w != nullptr && w->isMinimized()) w->hideToTray(true);
}

}  // namespace kemless

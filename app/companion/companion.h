#pragma once
// What --notify and --hidden add to a running session: a desktop notice at
// each milestone a refresh crosses, and a watch on the notification area so
// a window hidden in it comes back when the area goes away.
#include <QObject>
#include <QTimer>
#include <optional>

#include "display/milestones.h"

namespace kemless {

class Notifier;
class Session;

class Companion : public QObject {
    Q_OBJECT
public:
    // How often the notification area is looked for while a window hides in
    // it: no signal says that an X11 tray went away.
    static constexpr int kTrayWatchMs = 2000;

    Companion(Session& session, bool notify, int trayWatchMs = kTrayWatchMs, QObject* parent = nullptr);

    Notifier* notifier() const { return notifier_; }
    QTimer* trayWatch() { return &trayWatch_; }

private slots:
    // The StatusNotifier host went away (KDE, or GNOME with the AppIndicator
    // extension): Qt asks only once at start whether it is there.
    void statusNotifierHostGone();

private:
    void refreshed(const DisplayState& display);
    bool showInTray(const QString& summary, const QString& body);
    void watchTray();
    void bringBackFromTheArea();

    Session& session_;
    Notifier* notifier_ = nullptr;
    std::optional<MilestoneFigures> last_;
    QTimer trayWatch_;
};

}  // namespace kemless

#include "session/companion.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <QWidget>

#include "desktop/desktop.h"
#include "desktop/notifier.h"
#include "session/session.h"
#include "windows/tray_icon.h"

namespace kemless {
namespace {

// How often the notification area is looked for while a window hides in it:
// no signal says that it went away (a panel restarted, another desktop).
constexpr int kTrayWatchMs = 2000;
// How long a borrowed icon stays for its balloon when the window is in view.
constexpr int kBalloonIconMs = 20000;

const char* const kStatusNotifierWatcher = "org.kde.StatusNotifierWatcher";

}  // namespace

Companion::Companion(Session& session, bool notify, QObject* parent) : QObject(parent), session_(session) {
    if (notify) {
        notifier_ = new Notifier(this);
        notifier_->setFallback([this](const QString& s, const QString& b) { return showInTray(s, b); });
        connect(notifier_, &Notifier::activated, &session_, &Session::bringForward);
        connect(&session_, &Session::refreshed, this, &Companion::refreshed);
    }
    trayWatch_.setInterval(kTrayWatchMs);
    connect(&trayWatch_, &QTimer::timeout, this, &Companion::watchTray);
    trayWatch_.start();
    // Where the icons live in a StatusNotifier host, its going away is heard
    // on the session bus rather than seen by asking Qt.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        const QString watcher = QString::fromLatin1(kStatusNotifierWatcher);
        auto* owner =
            new QDBusServiceWatcher(watcher, bus, QDBusServiceWatcher::WatchForUnregistration, this);
        connect(owner, &QDBusServiceWatcher::serviceUnregistered, this, &Companion::bringBackFromTheArea);
        bus.connect(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher,
                    QStringLiteral("StatusNotifierHostUnregistered"), this, SLOT(statusNotifierHostGone()));
    }
}

std::pair<QString, QString> Companion::NoticeText(const std::vector<MilestoneNotice>& due) {
    if (due.empty()) return {};
    QString body = QString::fromStdString(due.front().body);
    for (std::size_t i = 1; i < due.size(); ++i)
        body += QLatin1Char('\n') + QString::fromStdString(due[i].summary + due[i].body);
    return {QString::fromStdString(due.front().summary), body};
}

void Companion::refreshed() {
    const MilestoneFigures now =
        MilestoneFiguresOf(session_.display(), session_.initial(), session_.options());
    const std::vector<MilestoneNotice> due = DueMilestones(last_, now);
    last_ = now;
    if (due.empty()) return;
    const auto [summary, body] = NoticeText(due);
    notifier_->notify(summary, body);
}

bool Companion::showInTray(const QString& summary, const QString& body) {
    for (TrayIcon* icon : {session_.mainTray(), session_.miniTray()})
        if (icon != nullptr && icon->showMessage(summary, body)) return true;
    if (!session_.desktop().trayAvailable()) return false;
    // The window is in view: its icon is borrowed for the balloon, and
    // given back unless the window has gone into the area meanwhile.
    TrayIcon* icon = session_.options().windowMode == 1 ? session_.miniTray() : session_.mainTray();
    QWidget* window = session_.options().windowMode == 1 ? static_cast<QWidget*>(session_.miniWindow())
                                                         : static_cast<QWidget*>(session_.mainWindow());
    if (icon == nullptr || window == nullptr) return false;
    icon->add();
    icon->showMessage(summary, body);
    QPointer<QWidget> guard(window);
    QTimer::singleShot(kBalloonIconMs, icon, [icon, guard] {
        if (guard && guard->isVisible()) icon->remove();
    });
    return true;
}

void Companion::watchTray() {
    // The area is gone: a window hidden in it would be lost.
    if (!session_.desktop().trayAvailable()) bringBackFromTheArea();
}

void Companion::statusNotifierHostGone() {
    // Another host may still be there to hold the icon.
    const QString watcher = QString::fromLatin1(kStatusNotifierWatcher);
    QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher);
    const QVariant registered = host.property("IsStatusNotifierHostRegistered");
    if (!registered.isValid() || !registered.toBool()) bringBackFromTheArea();
}

void Companion::bringBackFromTheArea() {
    for (TrayIcon* icon : {session_.mainTray(), session_.miniTray()})
        if (icon != nullptr && icon->isShown()) {
            session_.bringForward();
            return;
        }
}

}  // namespace kemless

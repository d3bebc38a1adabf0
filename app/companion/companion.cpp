#include "companion/companion.h"

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

// How long a borrowed icon stays for its balloon when the window is in view.
constexpr int kBalloonIconMs = 20000;

const char* const kStatusNotifierWatcher = "org.kde.StatusNotifierWatcher";

}  // namespace

Companion::Companion(Session& session, bool notify, int trayWatchMs, QObject* parent)
    : QObject(parent), session_(session) {
    if (notify) {
        notifier_ = new Notifier(this);
        notifier_->setFallback([this](const QString& s, const QString& b) { return showInTray(s, b); });
        connect(notifier_, &Notifier::activated, &session_, &Session::bringForward);
        connect(&session_, &Session::refreshed, this, &Companion::refreshed);
    }
    trayWatch_.setInterval(trayWatchMs);
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

void Companion::refreshed(const DisplayState& display) {
    const std::vector<MilestoneNotice> due = DueMilestones(last_, display.milestones);
    last_ = display.milestones;
    if (due.empty()) return;
    const NoticeText text = JoinNotices(due);
    notifier_->notify(QString::fromStdString(text.summary), QString::fromStdString(text.body));
}

namespace {

TrayIcon* TrayOf(DisplayWindow* window) { return window != nullptr ? window->trayIcon() : nullptr; }

}  // namespace

bool Companion::showInTray(const QString& summary, const QString& body) {
    for (TrayIcon* icon : {TrayOf(session_.mainWindow()), TrayOf(session_.miniWindow())})
        if (icon != nullptr && icon->showMessage(summary, body)) return true;
    if (!session_.desktop().trayAvailable()) return false;
    // The window is in view: its icon is borrowed for the balloon, and
    // given back unless the window has gone into the area meanwhile.
    DisplayWindow* window = session_.windowOfTheMode();
    TrayIcon* icon = TrayOf(window);
    if (icon == nullptr) return false;
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
    for (TrayIcon* icon : {TrayOf(session_.mainWindow()), TrayOf(session_.miniWindow())})
        if (icon != nullptr && icon->isShown()) {
            session_.bringForward();
            return;
        }
}

}  // namespace kemless

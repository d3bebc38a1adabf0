#include "desktop/notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QStringList>
#include <QVariantMap>

namespace kemless {
namespace {

const char* const kService = "org.freedesktop.Notifications";
const char* const kPath = "/org/freedesktop/Notifications";
const char* const kInterface = "org.freedesktop.Notifications";
const char* const kCravingAction = "craving";

}  // namespace

Notifier::Notifier(QObject* parent) : QObject(parent) {}

bool Notifier::serviceAvailable() const {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) return false;
    const QString service = QString::fromLatin1(kService);
    if (bus.interface()->isServiceRegistered(service)) return true;
    const QDBusReply<QStringList> activatable = bus.interface()->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(service);
}

void Notifier::notify(const QString& summary, const QString& body, bool offerCraving) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        fallBack(summary, body);
        return;
    }
    if (!listening_) {
        // The desktop says which notice was clicked by broadcasting its id.
        bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                    QString::fromLatin1(kInterface), QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                    QString::fromLatin1(kInterface), QStringLiteral("NotificationClosed"), this,
                    SLOT(closed(uint, uint)));
        listening_ = true;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    QVariantMap hints;
    // Lets the desktop group the notice under the program and find its icon.
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("kemless"));
    QStringList actions{QStringLiteral("default"), QStringLiteral("ケムレスを開く")};
    if (offerCraving) actions << QString::fromLatin1(kCravingAction) << QStringLiteral("吸いたくなったら");
    call << QStringLiteral("ケムレス") << uint(0) << QStringLiteral("kemless") << summary << body << actions
         << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, summary, body] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError()) {
            // No notification service on this desktop (or it failed).
            fallBack(summary, body);
            return;
        }
        sent_.insert(reply.value());
        emit delivered(true);
    });
}

void Notifier::fallBack(const QString& summary, const QString& body) {
    if (fallback_ && fallback_(summary, body)) {
        emit delivered(false);
        return;
    }
    emit dropped();
}

void Notifier::actionInvoked(uint id, const QString& key) {
    if (!sent_.contains(id)) return;  // another program's notice
    if (key == QLatin1String("default")) emit activated();
    if (key == QLatin1String(kCravingAction)) emit cravingRequested();
}

void Notifier::closed(uint id, uint) { sent_.remove(id); }

}  // namespace kemless

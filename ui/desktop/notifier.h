#pragma once
// Desktop notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus), with a fallback for
// desktops without one. Nothing is stored; a notice the desktop does not
// take goes to the fallback, and without one it is dropped.
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

namespace kemless {

class Notifier : public QObject {
    Q_OBJECT
public:
    explicit Notifier(QObject* parent = nullptr);

    // Shows the words another way (the notification-area icon's balloon);
    // returns false when it could not either.
    using Fallback = std::function<bool(const QString& summary, const QString& body)>;
    void setFallback(Fallback fallback) { fallback_ = std::move(fallback); }

    // Whether the desktop has a notification service now, running or
    // started on demand by the session bus.
    bool serviceAvailable() const;

    // Sent without waiting for the desktop: the answer comes later. With
    // `offerCraving` the notice has a second action, 「吸いたくなったら」.
    void notify(const QString& summary, const QString& body, bool offerCraving = false);

signals:
    // The user clicked a notice (its default action).
    void activated();
    // The user chose a notice's 「吸いたくなったら」.
    void cravingRequested();
    // The desktop's service took a notice, or the fallback showed it, or
    // neither could: for a log line and for tests.
    void delivered(bool byService);
    void dropped();

private slots:
    void actionInvoked(uint id, const QString& key);
    void closed(uint id, uint reason);

private:
    void fallBack(const QString& summary, const QString& body);

    Fallback fallback_;
    QSet<uint> sent_;
    bool listening_ = false;
};

}  // namespace kemless

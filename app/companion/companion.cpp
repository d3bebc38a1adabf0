#include "companion/companion.h"

#include <QPointer>
#include <QTimer>
#include <optional>

#include "desktop/notifier.h"
#include "journal/journal_book.h"
#include "session/session.h"
#include "windows/notice_balloon.h"
#include "windows/tray_icon.h"

namespace kemless {

Companion::Companion(Session& session, JournalBook& journal, QObject* parent)
    : QObject(parent), session_(session), journal_(journal) {
    notifier_ = new Notifier(this);
    notifier_->setFallback([this](const QString& s, const QString& b) { return showWithoutService(s, b); });
    connect(notifier_, &Notifier::activated, &session_, &Session::bringForward);
    connect(notifier_, &Notifier::cravingRequested, this,
            [this] { session_.openWindow(QString::fromLatin1(Session::kCravingName)); });
    connect(&session_, &Session::refreshed, this, &Companion::refreshed);
}

void Companion::refreshed(const DisplayState& display) {
    // A notice nobody could see is not marked said: it comes at a later
    // refresh, once a notification service, an area or a window is there.
    const bool seen = canShow();
    const MilestoneRound round = journal_.milestones(display.milestones, display.now, seen);
    const bool away = away_;
    if (seen) away_ = false;
    if (!round.due.empty()) {
        const NoticeText text = away ? JoinNoticesWhileAway(round.due) : JoinNotices(round.due);
        notifier_->notify(QString::fromStdString(text.summary), QString::fromStdString(text.body));
    }
    // The plan's alarms for the hard hours and its reward, the same way.
    SideWindows& side = session_.sideWindows();
    const PlannedRound planned =
        journal_.plannedNotices(side.plan(), side.rewardProgress(), display.now, seen);
    // An alarm's notice opens the craving helper from its second action.
    if (const std::optional<NoticeText>& alarm = planned.alarmNotice)
        notifier_->notify(QString::fromStdString(alarm->summary), QString::fromStdString(alarm->body), true);
    if (const std::optional<NoticeText>& reward = planned.rewardNotice)
        notifier_->notify(QString::fromStdString(reward->summary), QString::fromStdString(reward->body));
}

namespace {

TrayIcon* TrayOf(DisplayWindow* window) { return window != nullptr ? window->trayIcon() : nullptr; }

}  // namespace

bool Companion::canShow() const {
    if (notifier_->serviceAvailable()) return true;
    for (TrayIcon* icon : {TrayOf(session_.mainWindow()), TrayOf(session_.miniWindow())})
        if (icon != nullptr && icon->isShown()) return true;
    DisplayWindow* window = session_.windowOfTheMode();
    return window != nullptr && window->isVisible() && !window->isMinimized();
}

bool Companion::showWithoutService(const QString& summary, const QString& body) {
    // In the area: the balloon comes from the icon once the icon has its place.
    for (TrayIcon* icon : {TrayOf(session_.mainWindow()), TrayOf(session_.miniWindow())}) {
        if (icon == nullptr || !icon->isShown()) continue;
        if (!icon->showMessage(summary, body))
            QTimer::singleShot(kPlaceWaitMs, icon,
                               [icon, summary, body] { icon->showMessage(summary, body, true); });
        return true;
    }
    // In view: the words beside the window, not a balloon pointing at nothing.
    DisplayWindow* window = session_.windowOfTheMode();
    if (window == nullptr || !window->isVisible() || window->isMinimized()) return false;
    auto* balloon = new NoticeBalloon(window, summary, body);
    connect(balloon, &NoticeBalloon::clicked, &session_, &Session::bringForward);
    balloon->showBeside(window);
    return true;
}

}  // namespace kemless

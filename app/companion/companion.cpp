#include "companion/companion.h"

#include <QPointer>
#include <QTimer>
#include <optional>

#include "desktop/notifier.h"
#include "session/session.h"
#include "windows/notice_balloon.h"
#include "windows/tray_icon.h"

namespace kemless {

Companion::Companion(Session& session, QObject* parent) : QObject(parent), session_(session) {
    notifier_ = new Notifier(this);
    notifier_->setFallback([this](const QString& s, const QString& b) { return showWithoutService(s, b); });
    connect(notifier_, &Notifier::activated, &session_, &Session::bringForward);
    connect(&session_, &Session::refreshed, this, &Companion::refreshed);
}

void Companion::refreshed(const DisplayState& display) {
    const bool first = !started_;
    started_ = true;
    const CalendarMoment now = session_.now();
    MilestoneRound round = NextMilestones(known_, display.milestones, now);
    // The journal is read at the first refresh, and again whenever this
    // run's own account has something to say or to write: another copy may
    // have said it meanwhile. Otherwise nothing is read.
    if (journalKept_ && (first || !round.lines.empty())) {
        std::vector<JournalEvent> read;
        MilestoneRound decided;
        const bool kept = session_.updateJournal([&](std::string_view journal) {
            read = NoticeLines(ParseJournal(journal));
            decided = NextMilestones(read, display.milestones, now);
            return JournalLines(decided.lines);
        });
        if (kept) {
            known_ = std::move(read);
            round = std::move(decided);
        } else {
            journalKept_ = false;
            // Unrecorded, a notice of what happened while the program was
            // off would come again at every start: this run begins afresh.
            if (first) {
                known_.clear();
                round = NextMilestones(known_, display.milestones, now);
            }
        }
    }
    known_.insert(known_.end(), round.lines.begin(), round.lines.end());
    if (round.due.empty()) return;
    const NoticeText text = first ? JoinNoticesWhileAway(round.due) : JoinNotices(round.due);
    notifier_->notify(QString::fromStdString(text.summary), QString::fromStdString(text.body));
}

namespace {

TrayIcon* TrayOf(DisplayWindow* window) { return window != nullptr ? window->trayIcon() : nullptr; }

}  // namespace

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

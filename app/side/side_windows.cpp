#include "side/side_windows.h"

#include <QTimer>

#include "content/side_windows.h"
#include "desktop/desktop.h"
#include "desktop/placement.h"
#include "display/panel_texts.h"
#include "instance/standard_error.h"
#include "journal/journal_book.h"
#include "records/clock.h"
#include "records/settings_store.h"
#include "recovery/craving.h"
#include "recovery/health_steps.h"

namespace kemless {

SideWindows::SideWindows(Clock& clock, JournalBook& journal, const SettingsStore& store, Desktop& desktop,
                         QObject* parent)
    : QObject(parent), clock_(clock), journal_(journal), store_(store), desktop_(desktop) {}

SideWindows::~SideWindows() {
    // The windows are the program's: they go with its end, not with this.
    for (QWidget* w : windows()) disconnect(w, nullptr, this, nullptr);
}

QList<QWidget*> SideWindows::windows() const {
    QList<QWidget*> all;
    for (QWidget* w : {static_cast<QWidget*>(craving_), static_cast<QWidget*>(record_),
                       static_cast<QWidget*>(health_), static_cast<QWidget*>(plan_)})
        if (w != nullptr) all.append(w);
    return all;
}

bool SideWindows::IsWindowName(const QString& name) { return SideWindowNamed(name.toStdString()) != nullptr; }

void SideWindows::open(const QString& name) {
    const SideWindowName* which = SideWindowNamed(name.toStdString());
    if (which == nullptr) return;
    SideWindow* w = nullptr;
    bool made = false;
    const std::string_view named = which->name;
    if (named == kCravingWindow.name) {
        if (!craving_) {
            craving_ = new CravingWindow;
            connect(craving_, &CravingWindow::urgePassed, this, [this] { answer(true); });
            connect(craving_, &CravingWindow::slipped, this, [this] { answer(false); });
            connect(craving_, &CravingWindow::recordRequested, this,
                    [this] { open(QString::fromLatin1(kRecordWindow.name)); });
            connect(craving_, &CravingWindow::triggerPicked, this,
                    [this](const QString& trigger) { picked_ = trigger.toStdString(); });
            givePlan();
            made = true;
        } else if (craving_->isOver()) {
            // A new urge: the finished helper counts it from the start,
            // nothing picked yet.
            craving_->startAfresh();
            givePlan();
        }
        w = craving_;
    } else if (named == kRecordWindow.name) {
        if (!record_) {
            record_ = new RecordWindow;
            connect(record_, &RecordWindow::cravingRequested, this,
                    [this] { open(QString::fromLatin1(kCravingWindow.name)); });
            made = true;
        }
        w = record_;
    } else if (named == kPlanWindow.name) {
        if (!plan_) {
            // Read again: the file may have been changed since (by hand, by a sync).
            readPlan();
            plan_ = new PlanWindow;
            connect(plan_, &PlanWindow::saved, this, &SideWindows::savePlan);
            plan_->render(plan(), rewardProgress());
            made = true;
        }
        w = plan_;
    } else {
        if (!health_) {
            health_ = new HealthWindow;
            made = true;
        }
        w = health_;
    }
    if (made) {
        // Closed, it goes (later): the next request makes a fresh one.
        connect(w, &DialogWindow::closed, this, [this, w] {
            if (craving_ == w) craving_ = nullptr;
            if (record_ == w) record_ = nullptr;
            if (health_ == w) health_ = nullptr;
            if (plan_ == w) plan_ = nullptr;
        });
        emit windowMade(w);
    }
    if (display_) render(*display_, quit_);
    BringToFront(w);
}

void SideWindows::render(const DisplayState& display, const CalendarMoment& quit) {
    display_ = display;
    quit_ = quit;
    if (craving_) craving_->setFigures(WonSoFar(display));
    renderRecord();
    if (health_) health_->render(ComputeHealthTimeline(quit, display.now));
    // What the user is typing stays: only the reward's progress moves.
    if (plan_) plan_->showProgress(rewardProgress());
}

void SideWindows::renderRecord() {
    if (record_ && display_) {
        record_->render(MakeRecordView(journal_.summary(quit_, display_->now), journal_.keeping()));
        record_->showHardMoments(journal_.hardMoments(display_->now));
    }
}

void SideWindows::givePlan() {
    picked_.clear();
    QStringList reasons;
    for (const std::string& r : plan().reasons) reasons << QString::fromStdString(r);
    QList<PlanInCraving::Trigger> triggers;
    for (const TriggerPlan& t : plan().triggers)
        triggers.append({QString::fromStdString(t.name), QString::fromStdString(IfThenText(t))});
    craving_->setPlan(reasons, triggers);
}

const Plan& SideWindows::plan() {
    if (!planRead_) readPlan();
    return planFile_.plan();
}

RewardProgress SideWindows::rewardProgress() {
    return ComputeRewardProgress(plan(), display_ ? display_->moneySaved : 0.0, quit_);
}

void SideWindows::readPlan() {
    planRead_ = true;
    const DataFolder* folder = store_.folder();
    // Without a data folder the record's own message has said why.
    if (folder == nullptr) {
        (void)planFile_.open(-1, store_.dataFolder());
        return;
    }
    const FileOutcome read = planFile_.open(folder->fd(), folder->path());
    if (read || planProblemSaid_) return;
    planProblemSaid_ = true;
    // Said once the refresh or the press that asked for the plan is over,
    // on standard error too, so a start from a terminal or a log shows it.
    QTimer::singleShot(0, this, [this, text = PlanNotKeptText(read)] {
        SayOnStandardError(text);
        desktop_.message(plan_, QString::fromStdString(text));
    });
}

void SideWindows::savePlan(const Plan& plan) {
    const FileOutcome saved = planFile_.save(plan);
    if (!saved) {
        desktop_.message(plan_, QString::fromStdString(PlanNotSavedText(saved)));
        return;
    }
    if (plan_) plan_->render(planFile_.plan(), rewardProgress());
}

void SideWindows::answer(bool passed) {
    const CalendarMoment now = clock_.now();
    const bool kept =
        journal_.record({now, passed ? AttemptEventKind::UrgePassed : AttemptEventKind::Slip, {}, picked_});
    if (craving_) {
        QString words = QString::fromUtf8(passed ? kUrgePassedWords : kSlipWords);
        if (!kept) words += QLatin1Char('\n') + QString::fromUtf8(kNotKeptWords);
        craving_->showOutcome(words);
    }
    // The record that is open shows it at once, as of this minute.
    if (display_) display_->now = now;
    renderRecord();
}

void SideWindows::closeAll() {
    for (QWidget* w : windows()) w->close();
}

}  // namespace kemless

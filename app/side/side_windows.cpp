#include "side/side_windows.h"

#include "content/side_windows.h"
#include "desktop/placement.h"
#include "display/panel_texts.h"
#include "journal/journal_book.h"
#include "records/clock.h"
#include "recovery/craving.h"
#include "recovery/health_steps.h"

namespace kemless {

SideWindows::SideWindows(Clock& clock, JournalBook& journal, QObject* parent)
    : QObject(parent), clock_(clock), journal_(journal) {}

SideWindows::~SideWindows() {
    // The windows are the program's: they go with its end, not with this.
    for (QWidget* w :
         {static_cast<QWidget*>(craving_), static_cast<QWidget*>(record_), static_cast<QWidget*>(health_)})
        if (w != nullptr) disconnect(w, nullptr, this, nullptr);
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
            made = true;
        } else if (craving_->isOver()) {
            // A new urge: the finished helper counts it from the start.
            craving_->startAfresh();
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
}

void SideWindows::renderRecord() {
    if (record_ && display_)
        record_->render(MakeRecordView(journal_.summary(quit_, display_->now), journal_.keeping()));
}

void SideWindows::answer(bool passed) {
    const CalendarMoment now = clock_.now();
    const bool kept =
        journal_.record({now, passed ? AttemptEventKind::UrgePassed : AttemptEventKind::Slip, {}});
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
    for (QWidget* w :
         {static_cast<QWidget*>(craving_), static_cast<QWidget*>(record_), static_cast<QWidget*>(health_)})
        if (w != nullptr) w->close();
}

}  // namespace kemless

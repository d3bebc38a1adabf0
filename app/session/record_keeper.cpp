#include "session/record_keeper.h"

#include <utility>

#include "display/refresh.h"
#include "instance/standard_error.h"
#include "records/clock.h"

namespace kemless {

namespace {

void SayKept(const FileOutcome& outcome) {
    if (!outcome.note.empty()) SayOnStandardError(outcome.note);
}

}  // namespace

RecordKeeper::RecordKeeper(std::string baseFolder, Clock& clock, JournalBook& journal)
    : clock_(clock), store_(std::move(baseFolder)), journal_(journal) {
    records_.initial = DefaultInitialSettings(clock.now());
    store_.setClock([&clock] { return clock.now(); });
}

StartupState RecordKeeper::start(const CalendarMoment& now) {
    if (!adoptFrom_.empty()) AdoptRecord(SettingsStore(adoptFrom_), store_);
    StartupState state = RunStartupFileSteps(store_, now);
    records_ = {state.initial, state.options};
    if (const DataFolder* folder = store_.folder())
        if (FileOutcome journal = journal_.open(folder->fd(), folder->path(), now); !journal)
            state.journalProblem = std::move(journal);
    return state;
}

void RecordKeeper::refresh(DisplayState& display, const CalendarMoment& now, int draw) {
    RefreshDisplay(display, records_.initial, records_.options, now, draw);
    journal_.catchUp(now);
}

void RecordKeeper::storeMainCorner(std::optional<Corner> corner) {
    if (!corner) return;
    records_.options.mainLeft = corner->left;
    records_.options.mainTop = corner->top;
}

void RecordKeeper::storeMiniCorner(std::optional<Corner> corner) {
    if (!corner) return;
    records_.options.miniLeft = corner->left;
    records_.options.miniTop = corner->top;
}

void RecordKeeper::takeSetup(int32_t cigarettesPerDay, int32_t packPrice, int32_t cigaretteSize) {
    records_.initial.cigarettesPerDay = cigarettesPerDay;
    records_.initial.packPrice = packPrice;
    records_.initial.cigaretteSize = cigaretteSize;
}

FileOutcome RecordKeeper::startQuit(const CalendarMoment& quit, std::optional<Corner> mainCorner) {
    const CalendarMoment before = records_.initial.quit;
    const bool wasRunning = static_cast<bool>(records_.options.quitStarted);
    records_.initial.quit = quit;
    records_.options.quitStarted = true;
    noteQuitChange(before, wasRunning, true);
    storeMainCorner(mainCorner);
    return save();
}

FileOutcome RecordKeeper::takeSaved(const SettingsResult& result, std::optional<Corner> mainCorner) {
    const CalendarMoment before = records_.initial.quit;
    records_ = {result.initial, result.options};
    noteQuitChange(before, true, false);
    storeMainCorner(mainCorner);
    // A data folder removed while the dialog was open is made again.
    store_.ensureDataFolder();
    return save();
}

void RecordKeeper::takeCancelled(const SettingsResult& result) {
    const CalendarMoment before = records_.initial.quit;
    records_ = KeptAfterCancel(records_, result);
    // A save refused for its options has taken the quit profile all the same.
    noteQuitChange(before, true, false);
    if (result.profileTaken) (void)writeInitial(*result.profileTaken);
}

void RecordKeeper::writePositions() const { (void)writeOption(); }

void RecordKeeper::noteQuitChange(const CalendarMoment& before, bool wasRunning, bool newAttempt) {
    const CalendarMoment& after = records_.initial.quit;
    if (wasRunning && after == before) return;
    const CalendarMoment now = clock_.now();
    if (!newAttempt) {
        // A typo mended is the same attempt, begun at another minute.
        (void)journal_.record({now, AttemptEventKind::QuitCorrected, after});
        return;
    }
    // The end first, then the start, at the same minute.
    if (wasRunning) (void)journal_.record({now, AttemptEventKind::AttemptEnd, before});
    (void)journal_.record({now, AttemptEventKind::AttemptStart, after});
}

FileOutcome RecordKeeper::save() const {
    FileOutcome initial = writeInitial(records_.initial);
    FileOutcome option = writeOption();
    return !initial ? initial : option;
}

FileOutcome RecordKeeper::writeInitial(const InitialSettings& initial) const {
    FileOutcome outcome = store_.writeInitial(initial);
    SayKept(outcome);
    return outcome;
}

FileOutcome RecordKeeper::writeOption() const {
    FileOutcome outcome = store_.writeOption(records_.options);
    SayKept(outcome);
    return outcome;
}

}  // namespace kemless

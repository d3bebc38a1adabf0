#pragma once
// The two records of the running program and their files: what the start
// read, every change the program makes to them, and every save. It tells
// what a save came to and leaves saying so to the session; only where a
// write first kept unreadable bytes beside the record does it say where
// itself, on standard error, whichever write that was.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "display/display_state.h"
#include "forms/settings_result.h"
#include "geometry/placement.h"
#include "journal/journal_book.h"
#include "records/settings_store.h"
#include "records/startup.h"

namespace kemless {

class Clock;

class RecordKeeper {
public:
    // The quit profile in memory starts as the defaults of the clock's now;
    // the clock also dates the name of any unreadable bytes a write keeps.
    // The journal is where urges, slips and attempts are kept: opened in
    // the data folder at start() (until then, and without a data folder,
    // for this run only).
    RecordKeeper(std::string baseFolder, Clock& clock, JournalBook& journal);
    // Before start(): a record an older version left in this folder is
    // adopted when the data folder holds none (see AdoptRecord).
    void setAdoptFrom(std::string folder) { adoptFrom_ = std::move(folder); }

    const SettingsStore& store() const { return store_; }
    const Records& records() const { return records_; }
    const InitialSettings& initial() const { return records_.initial; }
    const OptionSettings& options() const { return records_.options; }

    // The file steps of the start, once this copy is the only one: an older
    // version's record adopted, the data folder, a missing file made with
    // its defaults, the records read once; which window opens first, and
    // what keeps the record from being kept here.
    StartupState start(const CalendarMoment& now);

    // One refresh on the records. It mends an out-of-range tax rate in them,
    // which reaches option.ini with its next write.
    void refresh(DisplayState& display, const CalendarMoment& now, int draw);

    // Where the display windows stand, in twips.
    Corner mainCorner() const { return {records_.options.mainLeft, records_.options.mainTop}; }
    Corner miniCorner() const { return {records_.options.miniLeft, records_.options.miniTop}; }
    // A corner the desktop did not tell (nullopt) leaves the stored one.
    void storeMainCorner(std::optional<Corner> corner);
    void storeMiniCorner(std::optional<Corner> corner);
    void setWindowMode(WindowMode mode) { records_.options.windowMode = mode; }

    // The first-run setup's three values; nothing is written before the
    // ceremony starts the quit.
    void takeSetup(int32_t cigarettesPerDay, int32_t packPrice, int32_t cigaretteSize);
    // The ceremony: the quit starts at `now`, and the main window opens
    // where the ceremony stood. Both files are saved.
    FileOutcome startQuit(const CalendarMoment& quit, std::optional<Corner> mainCorner);

    // The settings dialog saved: its records, the main window where the
    // dialog stood. Both files are saved.
    FileOutcome takeSaved(const SettingsResult& result, std::optional<Corner> mainCorner);
    // The settings dialog was cancelled or closed: what KeptAfterCancel
    // says, and initial.ini written when a save refused for its options had
    // taken the quit profile (a failure there goes unsaid: the user saves
    // again, and that save says it).
    void takeCancelled(const SettingsResult& result);

    // option.ini with the window positions on the way out; a failure goes
    // unsaid (not worth a message box, and a record that cannot be kept was
    // named at start).
    void writePositions() const;

    // A quit moment changed: only the ceremony ends the attempt in force and
    // starts the next, at the clock's minute; one changed in the settings
    // corrects this attempt (a line in the journal says so), so no attempt
    // is recorded that never was.

private:
    // The quit moment in force went from `before` (running when `wasRunning`)
    // to the one the records hold now.
    void noteQuitChange(const CalendarMoment& before, bool wasRunning, bool newAttempt);

    // Both files, even when the first fails: each is whole on its own. The
    // first failure, if any.
    FileOutcome save() const;
    // One file written; where unreadable bytes were kept first is said.
    FileOutcome writeInitial(const InitialSettings& initial) const;
    FileOutcome writeOption() const;

    Clock& clock_;
    SettingsStore store_;
    Records records_;
    std::string adoptFrom_;
    JournalBook& journal_;
};

}  // namespace kemless

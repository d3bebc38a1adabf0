#pragma once
// How the settings dialog ends, as one value, and what the program holds
// after a Cancel. The dialog edits copies of the records and writes nothing
// while it is open; the program saves or keeps by this value alone.
#include <optional>

#include "records/settings.h"

namespace kemless {

struct SettingsResult {
    enum class Ending {
        Saved,      // every check passed: both records are to be saved
        Cancelled,  // キャンセル or Escape: a display window comes back
        Closed,     // the close box: no display window comes back
    };
    Ending ending = Ending::Cancelled;
    // Saved: the records to save. Otherwise the dialog's copies as they
    // stand: colour picks, and what a save refused for its options took.
    InitialSettings initial;
    OptionSettings options;
    // The quit profile of the latest save refused for its options: it had
    // passed its checks, so it is due in initial.ini however the dialog ends.
    std::optional<InitialSettings> profileTaken;
};

struct Records {
    InitialSettings initial;
    OptionSettings options;
    friend bool operator==(const Records&, const Records&) = default;
};

// What the records hold after the dialog was cancelled or closed, given the
// records as they stood when it opened (`before`, what option.ini was just
// written with) and how it ended.
//
// The rule: the program comes back on what the files hold, read the way the
// window that comes back reads them. The main window reads both files, so in
// the main-window mode that is the records as they were written when the
// dialog opened (their texts as Shift_JIS holds them), with the quit profile
// a refused save took (initial.ini holds it). The mini window reads
// no file and runs on what was in memory, so in the mini-window mode it is
// the dialog's copies: a colour picked stays in effect, and reaches
// option.ini with its next write, like what a refused save took.
Records KeptAfterCancel(const Records& before, const SettingsResult& result);

}  // namespace kemless

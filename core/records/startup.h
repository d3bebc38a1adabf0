#pragma once
// The file steps of start-up and which window opens first.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/settings_store.h"

namespace kemless {

enum class FirstWindow {
    FirstRunSetup,  // the quit has not been started yet
    MainShown,      // main window shown, mini window loaded hidden
    MiniShown,      // main window loaded hidden, mini window shown
};

FirstWindow ChooseFirstWindow(const OptionSettings& options);

// What the start found: the records to run on, the first window, and what
// keeps the record from being kept (each file or folder and why; empty when
// all is well).
struct StartupState {
    InitialSettings initial;
    OptionSettings options;
    FirstWindow first = FirstWindow::FirstRunSetup;
    std::vector<FileOutcome> problems;
    // The journal beside the record could not be read (its own message).
    std::optional<FileOutcome> journalProblem;
};

// Ensure the data folder, create a file that is missing with its defaults
// (only a missing one: never one that exists), then read the records. An
// option.ini whose line does not read gives the defaults in memory and stays
// on disk until the next write. A file that stands there but cannot be read
// at all (no permission, a FIFO, a device, a folder, a link loop, another
// user's link) is blocked in `store`: defaults in memory, and this run never
// writes it. The quit profile is read only for a started quit, the way the
// display windows open on it; otherwise, and for an initial.ini that does
// not read, it is the defaults of `now`, so no zero date is ever left behind.
StartupState RunStartupFileSteps(SettingsStore& store, const CalendarMoment& now);

// The one message at start that says so, naming each file or folder and why.
std::string RecordNotKeptText(const std::vector<FileOutcome>& problems, const std::string& dataFolder);
// The message when a settings change could not be saved.
std::string SaveFailedText(const FileOutcome& why, const std::string& dataFolder);
// The one message of a run whose journal cannot be kept.
std::string JournalNotKeptText(const FileOutcome& why);

}  // namespace kemless

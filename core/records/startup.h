#pragma once
// The file steps of start-up and which window opens first.
#include <cstdint>
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

struct StartupState {
    InitialSettings initial;
    OptionSettings options;
    FirstWindow first = FirstWindow::FirstRunSetup;
};

// Ensure the data folder, create a file that is missing with its defaults
// (only a missing one: never one that exists), then read option.ini. An
// option.ini whose line does not read gives the defaults in memory and stays
// on disk until the next write. A file that stands there but cannot be read
// at all (no permission, a FIFO, a device, a folder, a link loop, another
// user's link) is blocked in `store`: defaults in memory, and this run never
// writes it. The in-memory quit profile starts as the defaults of `now`, so
// an unreadable initial.ini never leaves a zero date behind.
StartupState RunStartupFileSteps(SettingsStore& store, const CalendarMoment& now);

// The one message at start that says so, naming each file or folder and why.
std::string RecordNotKeptText(const std::vector<FileOutcome>& problems, const std::string& dataFolder);
// The message when a settings change could not be saved.
std::string SaveFailedText(const FileOutcome& why, const std::string& dataFolder);

}  // namespace kemless

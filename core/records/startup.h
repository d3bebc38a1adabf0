#pragma once
// The file steps of start-up and which window opens first.
#include <cstdint>

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

// Ensure the data folder, create a missing file with its defaults (never
// overwrite one that exists), then read option.ini; an unreadable option.ini
// gives the defaults in memory and stays on disk until the next write.
// The in-memory quit profile starts as the defaults of `now`, so an unreadable
// initial.ini never leaves a zero date behind.
StartupState RunStartupFileSteps(const SettingsStore& store, const CalendarMoment& now);

}  // namespace kemless

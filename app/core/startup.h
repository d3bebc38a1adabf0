#pragma once
// The file steps of start-up and the pure decisions around the display
// windows: which window opens first and where a window is placed.
#include <cstdint>

#include "app/core/settings_store.h"

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

// Twips are 1/1440 inch; the windows are laid out at 15 twips a pixel.
inline constexpr int32_t kTwipsPerPixel = 15;

struct Margins {
    int32_t width;
    int32_t height;
};
inline constexpr Margins kMainWindowMargins{5000, 3000};
inline constexpr Margins kMiniWindowMargins{3500, 1500};

struct Corner {
    int32_t left;
    int32_t top;
    friend bool operator==(const Corner&, const Corner&) = default;
};

// A stored corner too far right or down moves to the middle of the screen;
// negatives become 0. Only the corner is tested, not the window's size.
Corner PlaceWindow(Corner stored, int32_t screenWidth, int32_t screenHeight, Margins margins);

// A window coordinate to whole twips, halves to the even neighbour.
int32_t RoundTwips(double twips);

}  // namespace kemless

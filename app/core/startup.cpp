#include "app/core/startup.h"

#include <cmath>
#include <limits>

namespace kemless {

FirstWindow ChooseFirstWindow(const OptionSettings& options) {
    if (options.quitStarted == 0) return FirstWindow::FirstRunSetup;
    return options.windowMode == 1 ? FirstWindow::MiniShown : FirstWindow::MainShown;
}

StartupState RunStartupFileSteps(const SettingsStore& store, const CalendarMoment& now) {
    StartupState state;
    state.initial = DefaultInitialSettings(now);
    store.ensureDataFolder();
    if (!store.canOpenInitial()) store.writeInitial(state.initial);
    if (!store.canOpenOption()) store.writeOption(DefaultOptionSettings());
    state.options = store.readOption().value_or(DefaultOptionSettings());
    state.first = ChooseFirstWindow(state.options);
    return state;
}

Corner PlaceWindow(Corner c, int32_t screenWidth, int32_t screenHeight, Margins margins) {
    // Halves are rounded down (floor), also for an odd twip count.
    const int32_t halfWidth = static_cast<int32_t>(std::floor(screenWidth / 2.0));
    const int32_t halfHeight = static_cast<int32_t>(std::floor(screenHeight / 2.0));
    if (int64_t{c.left} > int64_t{screenWidth} - margins.width) {
        c.left = halfWidth;
        c.top = halfHeight;
    }
    if (int64_t{c.top} > int64_t{screenHeight} - margins.height) {
        c.top = halfHeight;
        c.left = halfWidth;
    }
    if (c.left < 0) c.left = 0;
    if (c.top < 0) c.top = 0;
    return c;
}

int32_t RoundTwips(double twips) {
    const double r = std::nearbyint(twips);
    if (!(r >= std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

}  // namespace kemless

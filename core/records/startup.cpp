#include "records/startup.h"

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

}  // namespace kemless

#pragma once
// Records for the tests: a quit profile a few weeks old, and a started
// record written the way the ceremony leaves it.
#include "records/settings_store.h"

namespace kemless {

// Quit on 1 November 2026 at 9:00, 20 standard cigarettes a day at 300 yen.
inline InitialSettings SampleInitial() {
    InitialSettings in;
    in.quit = {2026, 11, 1, 9, 0};
    return in;
}

// Both files of a started quit in `store`'s data folder: `options` with the
// quit marked as started. False when either could not be written.
inline bool WriteStartedRecord(SettingsStore store, const InitialSettings& initial,
                               OptionSettings options = {}) {
    store.ensureDataFolder();
    options.quitStarted = true;
    return static_cast<bool>(store.writeInitial(initial)) && static_cast<bool>(store.writeOption(options));
}

}  // namespace kemless

#include "forms/settings_result.h"

#include "records/settings_store.h"

namespace kemless {

Records KeptAfterCancel(const Records& before, const SettingsResult& result) {
    if (before.options.windowMode == WindowMode::Mini) return {result.initial, result.options};
    // option.ini was written with the records as they were when the dialog
    // opened; the main window reads it back.
    Records kept{before.initial, AsStored(before.options)};
    if (result.profileTaken) kept.initial = *result.profileTaken;
    return kept;
}

}  // namespace kemless

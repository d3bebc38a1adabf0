#include "forms/settings_result.h"

namespace kemless {

Records KeptAfterCancel(const Records& before, const SettingsResult& result) {
    if (before.options.windowMode == WindowMode::Mini) return {result.initial, result.options};
    Records kept = before;
    if (result.profileTaken) kept.initial = *result.profileTaken;
    return kept;
}

}  // namespace kemless

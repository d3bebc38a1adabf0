#pragma once
// How the dialogs read numbers from their text boxes, the ranges they accept,
// and the checks of the quit profile before it is stored.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/settings.h"

namespace kemless {

// The ranges the boxes accept, both ends included. The year's upper end is
// the current year.
struct FieldRange {
    int32_t low, high;
};
inline constexpr int32_t kFirstQuitYear = 1900;
inline constexpr FieldRange kMonthRange{1, 12};
inline constexpr FieldRange kDayRange{1, 31};
inline constexpr FieldRange kHourRange{0, 23};
inline constexpr FieldRange kMinuteRange{0, 59};
inline constexpr FieldRange kPerDayRange{1, 200};
inline constexpr FieldRange kPackPriceRange{1, 2000};
inline constexpr FieldRange kTaxRateRange{0, 100};
inline constexpr FieldRange kSmokingYearsRange{1, 99};
inline constexpr FieldRange QuitYearRange(const CalendarMoment& now) { return {kFirstQuitYear, now.year}; }

// What a box says it takes: "（１から２００までの半角数字で記入）".
std::string RangeHint(FieldRange range);

// Blanks skipped, the longest leading decimal number taken (digits, at most
// one point, an optional sign), rounded down; no number gives 0. "20本" is
// 20, "2.5" is 2, "" is 0. Saturates to the 32-bit range.
int32_t NumberFromText(std::string_view text);

// The tax rate: the whole text (blanks around it allowed) must be a decimal
// number, rounded down; anything else is nullopt (out of range).
std::optional<int32_t> TaxRateFromText(std::string_view text);

// What the user typed for the quit profile.
struct QuitProfileTexts {
    std::string year, month, day, hour, minute, cigarettesPerDay, packPrice;
};

enum class ProfileCheck { Ok, OutOfRange, InFuture };

struct ProfileResult {
    ProfileCheck check = ProfileCheck::Ok;
    CalendarMoment quit;
    int32_t cigarettesPerDay = 0;
    int32_t packPrice = 0;
};

// Range errors take precedence over a moment in the future; the current
// minute itself is allowed.
ProfileResult CheckQuitProfile(const QuitProfileTexts& texts, const CalendarMoment& now);

// The first-run setup's two boxes: 1..200 a day and 1..2000 yen.
std::optional<std::pair<int32_t, int32_t>> CheckSetupInput(std::string_view perDay, std::string_view price);

// Everything the settings dialog holds when it is saved.
struct SettingsForm {
    QuitProfileTexts profile;
    int32_t cigaretteSize = kStandard;
    std::string linkUrl;
    int32_t copyPlusMode = 0;
    bool showBoxCount = true;
    std::string statusMode;
    std::string taxRate;
    std::string smokingYears;
};

enum class SaveOutcome {
    RangeError,   // the quit profile: nothing taken
    FutureError,  // likewise
    OptionError,  // tax rate or smoking years: the quit profile is taken (and due in initial.ini)
    Saved,        // every value taken: both files are due
};

// What a save of the settings dialog accepted: the records as they stand
// after its checks. With OptionError the quit profile is the new one and
// the options hold what was taken before the check that refused them.
struct SettingsSave {
    SaveOutcome outcome = SaveOutcome::RangeError;
    InitialSettings initial;
    OptionSettings options;

    bool profileTaken() const { return outcome == SaveOutcome::OptionError || outcome == SaveOutcome::Saved; }
};

// The checks of a save, in their order, on copies of the records. A double
// quote cannot be stored in the link address, so it is removed; blanks
// around it are trimmed.
SettingsSave ApplySettingsForm(const SettingsForm& form, const CalendarMoment& now, InitialSettings initial,
                               OptionSettings options);

}  // namespace kemless

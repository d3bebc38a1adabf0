#include "forms/input_rules.h"

#include <cstdlib>

#include "basics/saturate.h"
#include "basics/text.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

// Length of the decimal number at the start of `s` ("" when there is none).
size_t LeadingNumberLength(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    bool point = false;
    while (i < s.size()) {
        if (s[i] >= '0' && s[i] <= '9') {
            ++digits;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        ++i;
    }
    return digits == 0 ? 0 : i;
}

double ParseDecimal(std::string_view s) { return std::strtod(std::string(s).c_str(), nullptr); }

bool Within(int32_t value, FieldRange range) { return value >= range.low && value <= range.high; }

}  // namespace

std::string RangeHint(FieldRange range) {
    return "（" + FullWidth(range.low) + "から" + FullWidth(range.high) + "までの半角数字で記入）";
}

int32_t NumberFromText(std::string_view text) {
    text = TrimStart(text);
    const size_t n = LeadingNumberLength(text);
    if (n == 0) return 0;
    return FloorToInt32(ParseDecimal(text.substr(0, n)));
}

std::optional<int32_t> TaxRateFromText(std::string_view text) {
    text = Trim(text);
    const size_t n = LeadingNumberLength(text);
    if (n == 0 || n != text.size()) return std::nullopt;
    return FloorToInt32(ParseDecimal(text));
}

ProfileResult CheckQuitProfile(const QuitProfileTexts& t, const CalendarMoment& now) {
    ProfileResult r;
    r.quit = {NumberFromText(t.year), NumberFromText(t.month), NumberFromText(t.day), NumberFromText(t.hour),
              NumberFromText(t.minute)};
    r.cigarettesPerDay = NumberFromText(t.cigarettesPerDay);
    r.packPrice = NumberFromText(t.packPrice);
    const CalendarMoment& q = r.quit;
    int errors = 0;
    if (!Within(q.year, QuitYearRange(now))) ++errors;
    if (!Within(q.month, kMonthRange)) ++errors;
    if (!Within(q.day, kDayRange)) ++errors;
    if (Within(q.month, kMonthRange) && q.day > MonthLength(q.year, q.month)) ++errors;
    if (!Within(q.hour, kHourRange)) ++errors;
    if (!Within(q.minute, kMinuteRange)) ++errors;
    if (!Within(r.cigarettesPerDay, kPerDayRange)) ++errors;
    if (!Within(r.packPrice, kPackPriceRange)) ++errors;
    if (errors > 0) {
        r.check = ProfileCheck::OutOfRange;
    } else if (MomentKey(q) > MomentKey(now)) {
        r.check = ProfileCheck::InFuture;
    }
    return r;
}

std::optional<std::pair<int32_t, int32_t>> CheckSetupInput(std::string_view perDay, std::string_view price) {
    const int32_t a = NumberFromText(perDay);
    const int32_t b = NumberFromText(price);
    if (!Within(a, kPerDayRange) || !Within(b, kPackPriceRange)) return std::nullopt;
    return std::pair{a, b};
}

SettingsSave ApplySettingsForm(const SettingsForm& form, const CalendarMoment& now, InitialSettings initial,
                               OptionSettings options) {
    auto outcome = [&](SaveOutcome o) { return SettingsSave{o, initial, options}; };
    const ProfileResult profile = CheckQuitProfile(form.profile, now);
    if (profile.check == ProfileCheck::OutOfRange) return outcome(SaveOutcome::RangeError);
    if (profile.check == ProfileCheck::InFuture) return outcome(SaveOutcome::FutureError);

    initial.quit = profile.quit;
    initial.cigarettesPerDay = profile.cigarettesPerDay;
    initial.packPrice = profile.packPrice;
    initial.cigaretteSize = form.cigaretteSize;

    // The address is trimmed of spaces only, not of tabs.
    options.linkUrl = std::string(Trim(WithoutDoubleQuotes(form.linkUrl), " "));
    options.copyPlusMode = form.copyPlusMode;
    options.showBoxCount = form.showBoxCount;
    options.statusMode = form.statusMode;

    const std::optional<int32_t> tax = TaxRateFromText(form.taxRate);
    if (!tax) return outcome(SaveOutcome::OptionError);
    options.taxRatePercent = *tax;
    if (!Within(*tax, kTaxRateRange)) return outcome(SaveOutcome::OptionError);

    options.smokingYears = NumberFromText(form.smokingYears);
    if (!Within(options.smokingYears, kSmokingYearsRange)) return outcome(SaveOutcome::OptionError);
    return outcome(SaveOutcome::Saved);
}

}  // namespace kemless

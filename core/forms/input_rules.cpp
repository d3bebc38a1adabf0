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

}  // namespace

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
    if (q.year < 1900 || q.year > now.year) ++errors;
    if (q.month < 1 || q.month > 12) ++errors;
    if (q.day < 1 || q.day > 31) ++errors;
    if (q.month >= 1 && q.month <= 12 && q.day > MonthLength(q.year, q.month)) ++errors;
    if (q.hour < 0 || q.hour > 23) ++errors;
    if (q.minute < 0 || q.minute > 59) ++errors;
    if (r.cigarettesPerDay < 1 || r.cigarettesPerDay > 200) ++errors;
    if (r.packPrice < 1 || r.packPrice > 2000) ++errors;
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
    if (a < 1 || a > 200 || b < 1 || b > 2000) return std::nullopt;
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
    if (*tax < 0 || *tax > 100) return outcome(SaveOutcome::OptionError);

    options.smokingYears = NumberFromText(form.smokingYears);
    if (options.smokingYears < 1 || options.smokingYears > 99) return outcome(SaveOutcome::OptionError);
    return outcome(SaveOutcome::Saved);
}

}  // namespace kemless

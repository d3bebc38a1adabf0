#pragma once
// The two records that are all the program remembers between runs.
#include <array>
#include <cstdint>
#include <string>

#include "records/moment.h"

namespace kemless {

// Cigarette length in millimetres.
enum CigaretteSize : int32_t { kShort = 50, kStandard = 85, kLong = 100 };
// The sizes in the order the dialogs offer them.
inline constexpr std::array<CigaretteSize, 3> kCigaretteSizes = {kShort, kStandard, kLong};

// The quit profile, stored in initial.ini.
struct InitialSettings {
    // The quit moment: the file's quitYear, quitMonth, quitDay, quitHour and
    // quitMinute are its year, month, day, hour and minute, in that order.
    CalendarMoment quit;
    int32_t cigarettesPerDay = 20;
    int32_t packPrice = 300;  // yen for a pack of 20
    int32_t cigaretteSize = kStandard;
    friend bool operator==(const InitialSettings&, const InitialSettings&) = default;
};

// The maker's site: the version box names it and the notice window opens it.
inline constexpr const char* kMakerSiteAddress = "http://kemless.example.jp/";
// A new user's own page is the maker's site until they name another; the
// blog button adds the "http://" itself.
inline constexpr const char* kDefaultLinkUrl = "kemless.example.jp/";
inline constexpr const char* kDefaultStatusMode = "ソルジャー";

// Everything else, stored in option.ini. Positions are twips, colours 0x00BBGGRR.
struct OptionSettings {
    int32_t quitStarted = 0;
    int32_t taxRatePercent = 58;
    int32_t consumptionTaxPercent = 5;
    int32_t copyPlusMode = 0;
    int32_t smokingYears = 5;
    int32_t showBoxCount = 1;
    int32_t mainLeft = 0;
    int32_t mainTop = 0;
    int32_t backColor = 9241372;
    int32_t foreColor = 16777215;
    std::string linkUrl = kDefaultLinkUrl;
    int32_t windowMode = 2;  // 0 main, 1 mini, 2 main and the mini window never opened
    int32_t miniLeft = 0;
    int32_t miniTop = 0;
    std::string statusMode = kDefaultStatusMode;
    friend bool operator==(const OptionSettings&, const OptionSettings&) = default;
};

InitialSettings DefaultInitialSettings(const CalendarMoment& now);
inline OptionSettings DefaultOptionSettings() { return {}; }

}  // namespace kemless

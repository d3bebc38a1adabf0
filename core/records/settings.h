#pragma once
// The two records that are all the program remembers between runs.
#include <array>
#include <cstdint>
#include <string>

#include "basics/rgb.h"
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

// Which display window a start opens. The mini window takes the main
// window's place the first time it opens, so a record that has never used it
// says so. A hand-edited number other than these stays as it was read (the
// type holds any 32-bit number) and opens the main window like Main.
enum class WindowMode : int32_t {
    Main = 0,
    Mini = 1,
    MainMiniNeverOpened = 2,
};

// A yes or no of option.ini. The file holds 1 or 0; a number a hand-edited
// file holds instead reads as yes or no by its field's own rule and is kept
// as it stood, so writing the record back gives the file back unchanged.
// Setting it (from a bool) leaves plain 1 or 0.
class Flag {
public:
    constexpr Flag(bool on = false) : on_(on), stored_(on ? 1 : 0) {}
    constexpr explicit operator bool() const { return on_; }

    // For the file's reader and writer alone.
    static constexpr Flag FromFile(int32_t stored, bool on) { return Flag(on, stored); }
    constexpr int32_t stored() const { return stored_; }

    friend bool operator==(const Flag&, const Flag&) = default;

private:
    constexpr Flag(bool on, int32_t stored) : on_(on), stored_(stored) {}
    bool on_;
    int32_t stored_;
};

// A new user's own page is the maker's site until they name another; the
// blog button adds the "http://" itself.
inline constexpr const char* kDefaultLinkUrl = "kemless.example.jp/";
inline constexpr const char* kDefaultStatusMode = "ソルジャー";

// Everything else, stored in option.ini. Positions are twips.
struct OptionSettings {
    Flag quitStarted = false;  // a number other than 0 reads as started
    int32_t taxRatePercent = 58;
    int32_t consumptionTaxPercent = 5;
    int32_t copyPlusMode = 0;
    int32_t smokingYears = 5;
    Flag showBoxCount = true;  // only 1 reads as on
    int32_t mainLeft = 0;
    int32_t mainTop = 0;
    Rgb backColor{28, 3, 141};
    Rgb foreColor{255, 255, 255};
    std::string linkUrl = kDefaultLinkUrl;
    WindowMode windowMode = WindowMode::MainMiniNeverOpened;
    int32_t miniLeft = 0;
    int32_t miniTop = 0;
    std::string statusMode = kDefaultStatusMode;
    friend bool operator==(const OptionSettings&, const OptionSettings&) = default;
};

InitialSettings DefaultInitialSettings(const CalendarMoment& now);
inline OptionSettings DefaultOptionSettings() { return {}; }

}  // namespace kemless

#pragma once
// The rank title shown beside ステータス: rises with the days in one of four
// themes chosen in the settings dialog.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kemless {

// The settings dialog lists the themes in this order; the first is the default.
inline constexpr std::array<const char*, 4> kStatusModes = {"ソルジャー", "コスモ", "会社モード", "日本旅行"};

// The 366 stops of the Japan journey, one per whole day (0 is 西表島, 365 知床).
std::span<const char* const> JapanTravelPlaces();

// Title for `wholeDays` completed 24-hour periods and `years` completed
// calendar years under `statusMode`. A mode that is not exactly one of
// kStatusModes, or negative figures, give the empty title.
std::string ComputeStatusTitle(std::string_view statusMode, int32_t wholeDays, int32_t years);

// Where that title stands in its theme: a number that grows with each new
// title, the same while the title stays (for a milestone notice to tell a
// rank gained from one seen before). -1 with the empty title. Within a theme
// it never goes down, except after the year of ルパン三世 (years = 333),
// when the title before it comes back.
int32_t StatusTitleRank(std::string_view statusMode, int32_t wholeDays, int32_t years);
// Both at once, for a refresh that shows the one and compares the other.
struct StatusTitle {
    std::string title;
    int32_t rank = -1;
};
StatusTitle ComputeStatusTitleAndRank(std::string_view statusMode, int32_t wholeDays, int32_t years);

}  // namespace kemless

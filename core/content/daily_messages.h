#pragma once
// The message of the day (今日の一言): one text a day through the first month,
// monthly congratulations in the first year, then one for every year after.
#include <cstdint>
#include <span>
#include <string>

namespace kemless {

// All 60 texts, indexed as PickDailyMessageIndex returns them.
std::span<const char* const> DailyMessages();

// Index into DailyMessages() for `wholeDays` completed 24-hour periods and
// the calendar `years` and `months` fields, with `r` the refresh's draw
// (0..99) that varies days 1 to 3 and the monthly texts. The duck days 33,
// 34, 35, 44, 55 and 66 are never varied. A negative day count in the
// first month gives 0.
int PickDailyMessageIndex(int32_t wholeDays, int32_t years, int32_t months, int r);
std::string PickDailyMessage(int32_t wholeDays, int32_t years, int32_t months, int r);

}  // namespace kemless

#include "content/season.h"

namespace kemless {

namespace {

struct SeasonalDays {
    int month;
    int firstDay;
    int lastDay;
    SeasonalGreeting greeting;
};

// One greeting a row: caption, heading, greeting, the two wishes, which of
// the three pictures show, and whether the lines sit lower (New Year).
// clang-format off
const SeasonalDays kSeasons[] = {
    {12, 24, 24, {"クリスマスイブ - Pelorin", "クリスマスイブ限定スペシャルメッセージ", "",
                  "聖なる日の卒煙が", "成功しますように！", {false, true, false}, false}},
    {12, 25, 25, {"メリークリスマス - Pelorin", "クリスマス限定スペシャルメッセージ", "メリークリスマス",
                  "聖なる日の卒煙が", "成功しますように！", {true, false, true}, false}},
    {1, 1, 3,    {"謹賀新年 - Pelorin", "お正月限定スペシャルメッセージ", "あけましておめでとうございます",
                  "", "貴方の卒煙が成功しますように！", {false, false, false}, true}},
};
// clang-format on

}  // namespace

std::optional<SeasonalGreeting> SeasonalGreetingFor(int month, int day) {
    for (const SeasonalDays& season : kSeasons)
        if (season.month == month && day >= season.firstDay && day <= season.lastDay) return season.greeting;
    return std::nullopt;
}

}  // namespace kemless

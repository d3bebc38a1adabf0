#include "forms/season.h"

namespace kemless {

std::optional<SeasonalGreeting> SeasonalGreetingFor(int month, int day) {
    if (month == 12 && day == 24) {
        return SeasonalGreeting{"クリスマスイブ - Pelorin",
                                "クリスマスイブ限定スペシャルメッセージ",
                                "",
                                "聖なる日の卒煙が",
                                "成功しますように！",
                                {false, true, false},
                                false};
    }
    if (month == 12 && day == 25) {
        return SeasonalGreeting{"メリークリスマス - Pelorin",
                                "クリスマス限定スペシャルメッセージ",
                                "メリークリスマス",
                                "聖なる日の卒煙が",
                                "成功しますように！",
                                {true, false, true},
                                false};
    }
    if (month == 1 && day >= 1 && day <= 3) {
        return SeasonalGreeting{"謹賀新年 - Pelorin",
                                "お正月限定スペシャルメッセージ",
                                "あけましておめでとうございます",
                                "",
                                "貴方の卒煙が成功しますように！",
                                {false, false, false},
                                true};
    }
    return std::nullopt;
}

}  // namespace kemless

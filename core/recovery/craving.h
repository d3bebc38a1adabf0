#pragma once
// The few minutes of a craving: a five-minute countdown with a slow
// breathing guide (four seconds in, six out), as a pure function of the time
// since the helper opened, and the words the helper says.
#include <array>
#include <cstdint>
#include <string>

#include "basics/figure_line.h"

namespace kemless {

inline constexpr int64_t kCravingMs = 5 * 60 * 1000;
inline constexpr int64_t kBreathInMs = 4000;
inline constexpr int64_t kBreathOutMs = 6000;

enum class Breath { In, Out };

struct CravingMoment {
    bool finished = false;    // the five minutes are over
    int32_t secondsLeft = 0;  // whole seconds, rounded up
    std::string countdown;    // "あと４分３２秒"; "５分たちました" at the end
    // Worth saying aloud as it changes: on each whole minute and at the end.
    // A screen reader that said every second would say nothing else.
    bool announce = false;
    int32_t permille = 0;  // of the five minutes gone, 0..1000
    Breath breath = Breath::In;
    std::string breathWord;  // "吸って" / "吐いて"; empty at the end
    int32_t breathSize = 0;  // 0..1000: grows while breathing in, shrinks while out
    // The same in two sizes, for a desktop that asks for less motion: full
    // while breathing in, empty while breathing out.
    int32_t breathStep = 0;
};

// `elapsedMs`: since the helper came up; below 0 counts as 0.
CravingMoment CravingAt(int64_t elapsedMs);

// One of the user's reasons to stay quit, shown while the craving lasts,
// turns every three breaths: the first at the start.
inline constexpr int64_t kReasonTurnMs = 3 * (kBreathInMs + kBreathOutMs);
// The reason shown `elapsedMs` after the helper came up, of `count`; -1 for none.
int32_t ReasonShownAt(int32_t count, int64_t elapsedMs);
inline constexpr char kReasonHeading[] = "やめる理由：";
inline constexpr char kTriggerQuestion[] = "きっかけは？（えらばなくてもかまいません）";

// The helper's words.
inline constexpr char kCravingIntro[] =
    "吸いたい気持ちの波は、たいてい数分で引いていきます。\n円に合わせて、ゆっくり呼吸しましょう。";
inline constexpr char kCravingFinished[] = "５分たちました。吸いたい気持ちは、おさまってきましたか？";
inline constexpr char kUrgePassedWords[] =
    "よく乗り越えました！\n吸いたい気持ちを乗り越えた１回として記録しました。";
// A slip keeps the quit moment: the way back is kind, and starting over is
// the user's choice, made in the settings.
inline constexpr char kSlipWords[] =
    "１本吸ってしまっても、やり直しではありません。\n"
    "卒煙の日時はそのままで、ここまでの日数も、節約できた金額も消えません。\n"
    "次の１本を吸わなければ、それで十分です。\n"
    "初めからやり直したいときは、「設定変更をする」で卒煙日を選び直せます。";

// Added to the words when the record could not keep what was said.
inline constexpr char kNotKeptWords[] = "（記録を残せませんでした）";

}  // namespace kemless

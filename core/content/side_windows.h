#pragma once
// The windows beside the display, said once: the name a command line, a
// later start and a desktop action use, the title every menu, button,
// window and message gives it, and what it holds, as --help says it.
#include <array>
#include <string_view>

namespace kemless {

struct SideWindowName {
    const char* name;   // "craving": --craving, and what a later start asks for
    const char* title;  // 「吸いたくなったら」
    const char* holds;  // what it holds, in a few words
};

inline constexpr SideWindowName kCravingWindow{"craving", "吸いたくなったら",
                                               "５分のカウントダウンと呼吸のガイド"};
inline constexpr SideWindowName kRecordWindow{"record", "これまでの記録",
                                              "乗り越えた回数、吸ってしまった回数など"};
inline constexpr SideWindowName kHealthWindow{"health", "回復のあゆみ", "卒煙してから体が取り戻していくもの"};
inline constexpr SideWindowName kPlanWindow{"plan", "わたしの卒煙プラン", "やめる理由、きっかけと対策など"};
inline constexpr std::array<SideWindowName, 4> kSideWindows{kCravingWindow, kRecordWindow, kHealthWindow,
                                                            kPlanWindow};

// The window of that name; nullptr for none.
const SideWindowName* SideWindowNamed(std::string_view name);

}  // namespace kemless

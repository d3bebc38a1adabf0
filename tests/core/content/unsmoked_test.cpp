#include "content/unsmoked.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "records/settings_store.h"

namespace kemless {
namespace {

struct LineCase {
    const char* label;
    int32_t elapsedMinutes;
    int32_t cigarettesPerDay;
    int32_t cigaretteSize;
    int32_t showBoxCount;  // as option.ini holds it
    const char* expected;
};

// The pack display as a record read from option.ini holds it.
bool ShowBoxCountAsStored(int32_t stored) {
    OptionSettings o;
    o.showBoxCount = Flag::FromFile(stored, true);
    const auto read = ParseOptionFile(FormatOptionLine(o));
    EXPECT_TRUE(read);
    return read && static_cast<bool>(read->showBoxCount);
}

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.label; }

class UnsmokedLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(UnsmokedLineTest, FormatsCountMetresAndLandmark) {
    const LineCase& c = GetParam();
    EXPECT_EQ(FormatUnsmokedLine(c.elapsedMinutes, c.cigarettesPerDay, c.cigaretteSize,
                                 ShowBoxCountAsStored(c.showBoxCount)),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, UnsmokedLineTest,
    testing::Values(
        // Zero is a multiple of every pack size but never shown as packs.
        LineCase{"just_quit", 0, 20, 85, 1, "0本 0ｍ ガンバレ－"},
        LineCase{"just_quit_short", 0, 10, 50, 1, "0本 0ｍ ガンバレ－"},
        LineCase{"hundred_minutes_no_zero_before_point", 100, 20, 85, 1, "1本 .12ｍ ダチョウの卵"},
        // The day fraction is not floored: half a day already counts.
        LineCase{"half_a_day", 720, 20, 85, 0, "10本 .85ｍ 野球選手のバット"},
        LineCase{"one_day_as_pack", 1440, 20, 85, 1, "1箱 1.7ｍ シーラカンス"},
        LineCase{"one_day_packs_off", 1440, 20, 85, 0, "20本 1.7ｍ シーラカンス"},
        LineCase{"one_day_show_box_two_is_off", 1440, 20, 85, 2, "20本 1.7ｍ シーラカンス"},
        LineCase{"one_day_show_box_negative_is_off", 1440, 20, 85, -1, "20本 1.7ｍ シーラカンス"},
        LineCase{"just_after_a_pack_still_a_pack", 1500, 20, 85, 1, "1箱 1.77ｍ シーラカンス"},
        LineCase{"between_packs_counts_cigarettes", 2000, 20, 85, 1, "27本 2.36ｍ ホッキョクグマ"},
        LineCase{"half_pack_of_standard", 1440, 10, 85, 1, "10本 .85ｍ 野球選手のバット"},
        LineCase{"ten_days_carton", 14400, 20, 85, 1, "1カートン 17ｍ シャア専用ザク"},
        LineCase{"ten_days_packs_off", 14400, 20, 85, 0, "200本 17ｍ シャア専用ザク"},
        LineCase{"five_days_packs_not_carton", 7200, 20, 85, 1, "5箱 8.5ｍ 金剛力士立像吽形"},
        // Short cigarettes come ten to a pack and twenty packs to a carton.
        LineCase{"short_one_day_one_pack", 1440, 10, 50, 1, "1箱 .5ｍ ノミのジャンプ"},
        LineCase{"short_twenty_are_two_packs", 1440, 20, 50, 1, "2箱 1ｍ 新札１億円の高さ"},
        LineCase{"short_hundred_are_ten_packs_not_a_carton", 7200, 20, 50, 1, "10箱 5ｍ 日本一の鬼瓦"},
        LineCase{"short_twenty_days_two_cartons", 28800, 20, 50, 1, "2カートン 20ｍ 道頓堀グリコのネオン"},
        LineCase{"long_two_days", 2880, 20, 100, 1, "2箱 4ｍ ティラノサウルス"},
        // Hundredths exactly halfway (2.5 and 7.5) go to the even neighbour.
        LineCase{"half_hundredth_rounds_down_to_even", 720, 1, 50, 0, "0本 .02ｍ ガンバレ－"},
        LineCase{"half_hundredth_rounds_up_to_even", 2160, 1, 50, 0, "1本 .08ｍ ガンバレ－"},
        // A clock set before the quit moment: floor, not truncation.
        LineCase{"clock_before_quit", -100, 20, 85, 0, "-2本 -.12ｍ ガンバレ－"}),
    [](const testing::TestParamInfo<LineCase>& info) { return info.param.label; });

struct SentenceCase {
    const char* label;
    int32_t elapsedMinutes;
    int32_t cigarettesPerDay;
    int32_t cigaretteSize;
    const char* expected;
};

void PrintTo(const SentenceCase& c, std::ostream* os) { *os << c.label; }

class ComparisonSentenceTest : public testing::TestWithParam<SentenceCase> {};

TEST_P(ComparisonSentenceTest, AppendsFullWidthSentenceToTheMoneyText) {
    const SentenceCase& c = GetParam();
    const std::string money = "節約金額は５３０７円です。";
    EXPECT_EQ(AppendComparisonSentence(c.elapsedMinutes, c.cigarettesPerDay, c.cigaretteSize, money),
              money + c.expected);
    EXPECT_EQ(AppendComparisonSentence(c.elapsedMinutes, c.cigarettesPerDay, c.cigaretteSize, ""),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ComparisonSentenceTest,
    testing::Values(SentenceCase{"just_quit", 0, 20, 85,
                                 "節煙本数は０本で、これは０ｍのガンバレ－に匹敵します。"},
                    SentenceCase{"hundred_minutes", 100, 20, 85,
                                 "節煙本数は１本で、これは．１２ｍのダチョウの卵に匹敵します。"},
                    SentenceCase{"one_day", 1440, 20, 85,
                                 "節煙本数は２０本で、これは１．７ｍのシーラカンスに匹敵します。"},
                    // A carton in the line is still counted in cigarettes here.
                    SentenceCase{"ten_days_never_cartons", 14400, 20, 85,
                                 "節煙本数は２００本で、これは１７ｍのシャア専用ザクに匹敵します。"},
                    SentenceCase{"clock_before_quit", -100, 20, 85,
                                 "節煙本数は－２本で、これは－．１２ｍのガンバレ－に匹敵します。"}),
    [](const testing::TestParamInfo<SentenceCase>& info) { return info.param.label; });

TEST(ComputeUnsmokedTest, OneLookupServesLineAndSentence) {
    const UnsmokedFigures figures = ComputeUnsmoked(100, 20, 85);
    EXPECT_EQ(figures.count, 1);
    EXPECT_NEAR(figures.lengthMm, 118.0556, 1e-4);
    EXPECT_EQ(figures.metreHundredths, 12.0);
    EXPECT_STREQ(figures.landmark, "ダチョウの卵");
    EXPECT_EQ(FormatUnsmokedLine(figures, 85, 1), "1本 .12ｍ ダチョウの卵");
    EXPECT_EQ(AppendComparisonSentence(figures, "x"),
              "x節煙本数は１本で、これは．１２ｍのダチョウの卵に匹敵します。");
}

struct MetresCase {
    const char* label;
    double hundredths;
    const char* expected;
};

void PrintTo(const MetresCase& c, std::ostream* os) { *os << c.label; }

class FormatMetresTest : public testing::TestWithParam<MetresCase> {};

TEST_P(FormatMetresTest, DropsTrailingZerosAndTheLeadingZero) {
    EXPECT_EQ(FormatMetres(GetParam().hundredths), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatMetresTest,
    testing::Values(MetresCase{"zero", 0.0, "0"}, MetresCase{"negative_zero", -0.0, "0"},
                    MetresCase{"whole", 1700.0, "17"}, MetresCase{"one", 100.0, "1"},
                    MetresCase{"one_decimal", 170.0, "1.7"}, MetresCase{"inner_zero_kept", 101.0, "1.01"},
                    MetresCase{"half", 50.0, ".5"}, MetresCase{"two_decimals", 12.0, ".12"},
                    MetresCase{"one_hundredth", 1.0, ".01"}, MetresCase{"negative_half", -50.0, "-.5"},
                    MetresCase{"negative_whole", -1700.0, "-17"},
                    MetresCase{"long_with_decimals", 123456789012.0, "1234567890.12"},
                    MetresCase{"beyond_sixty_four_bits", 1e22, "100000000000000000000"}),
    [](const testing::TestParamInfo<MetresCase>& info) { return info.param.label; });

// A hand-edited settings file can hold any 32-bit value; the texts must still
// come out, with the count in plain digits and the length past the table.
TEST(UnsmokedHostileInputTest, ExtremeSettingsStillGiveALineAndASentence) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    const std::string last = "成層圏を脱しました！";
    const std::string first = "ガンバレ－";
    struct Extreme {
        int32_t minutes, perDay, size;
        const std::string& landmark;
    };
    for (const Extreme& e : {Extreme{kMax, kMax, kMax, last}, Extreme{kMin, kMin, kMax, last},
                             Extreme{kMax, kMin, kMax, first}, Extreme{kMax, kMax, 50, last}}) {
        SCOPED_TRACE(testing::Message() << e.minutes << " " << e.perDay << " " << e.size);
        const std::string line = FormatUnsmokedLine(e.minutes, e.perDay, e.size, 1);
        EXPECT_TRUE(line.ends_with("ｍ " + e.landmark)) << line;
        EXPECT_EQ(line.find_first_of("e+inf"), std::string::npos) << line;
        const std::string sentence = AppendComparisonSentence(e.minutes, e.perDay, e.size, "");
        EXPECT_TRUE(sentence.ends_with("ｍの" + e.landmark + "に匹敵します。")) << sentence;
    }
    // About 1.5 million days at the largest count a day still fit the 64-bit count.
    EXPECT_EQ(ComputeUnsmoked(kMax, kMax, 85).count, 3202559732036403);
}

}  // namespace
}  // namespace kemless

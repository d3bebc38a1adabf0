#include "basics/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "basics/saturate.h"

namespace kemless {
namespace {

TEST(NumberTexts, PlainSignPositionedAndWhole) {
    EXPECT_EQ(Decimal(0), "0");
    EXPECT_EQ(Decimal(-12), "-12");
    EXPECT_EQ(SignPositioned(5307), " 5307");
    EXPECT_EQ(SignPositioned(0), " 0");
    EXPECT_EQ(SignPositioned(-12), "-12");
    // Beyond 64 bits the digits are printed, never an exponent.
    EXPECT_EQ(DecimalWhole(1e20), "100000000000000000000");
    EXPECT_EQ(DecimalWhole(-1e20), "-100000000000000000000");
}

TEST(FullWidth, DigitsPointAndMinusOnly) {
    EXPECT_EQ(ToFullWidth("1.20"), "１．２０");
    EXPECT_EQ(ToFullWidth("-.5"), "－．５");
    EXPECT_EQ(ToFullWidth("0123456789"), "０１２３４５６７８９");
    EXPECT_EQ(ToFullWidth("20本 1.7ｍ x"), "２０本 １．７ｍ x");  // everything else kept
    EXPECT_EQ(ToFullWidth(""), "");
}

TEST(FullWidth, NumbersAgreeWithTheTextForm) {
    for (int64_t v : {int64_t{0}, int64_t{-1}, int64_t{2014}, std::numeric_limits<int64_t>::min(),
                      std::numeric_limits<int64_t>::max()}) {
        EXPECT_EQ(FullWidth(v), ToFullWidth(Decimal(v))) << v;
    }
    std::string out = "残り";
    AppendFullWidth(out, -30);
    AppendFullWidth(out, std::string_view("日"));
    EXPECT_EQ(out, "残り－３０日");
}

TEST(DisplayCellsTest, FullWidthCountsTwoAndEverythingElseOne) {
    EXPECT_EQ(DisplayCells(""), 0);
    EXPECT_EQ(DisplayCells("abc 1.5"), 7);
    EXPECT_EQ(DisplayCells("ガンバレ－"), 10);  // katakana and U+FF0D
    EXPECT_EQ(DisplayCells("東京タワー"), 10);  // kanji, katakana, long-vowel mark
    EXPECT_EQ(DisplayCells("１．２ｍ"), 8);     // full-width digits, point and letter
    EXPECT_EQ(DisplayCells("ｶﾞﾝﾊﾞﾚ"), 6);       // half-width katakana stays one cell
    EXPECT_EQ(DisplayCells("F1マシン"), 8);
}

TEST(Utf8, WellFormedOnly) {
    for (const char* text :
         {"", "plain", "ケムレス", "é", "\xF0\x9F\xA6\x86", "\xEF\xBF\xBD", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsUtf8(text)) << text;
    for (const char* text :
         {"\x80", "a\xBF", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x80\x80\x80",
          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xE3\x81", "caf\xE9", "\xE3\x41\x81"})
        EXPECT_FALSE(IsUtf8(text)) << text;
}

TEST(ShownOnOneLineTest, NothingATerminalWouldActOnAndAtMostALine) {
    const struct {
        std::string bytes;
        const char* shown;
    } rows[] = {
        {"/usr/bin/kemless --hidden", "/usr/bin/kemless --hidden"},
        {"ケムレス　記録", "ケムレス　記録"},
        {"\x1b]0;owned\x07kemless", "\\x1b]0;owned\\x07kemless"},
        {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
        {"del\x7f", "del\\x7f"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"csi\xc2\x9b"
         "31m",
         "csi\\x9b31m"},
        {"turn\xe2\x80\xae"
         "abc",
         "turn\\u202eabc"},
        {"bad\xff\xfe", "bad\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"cut\xe3\x81", "cut\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"over\xc0\xaf", "over\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& row : rows) EXPECT_EQ(ShownOnOneLine(row.bytes), row.shown) << row.shown;

    // Characters, not bytes, are counted; a whole line's worth and no more.
    EXPECT_EQ(ShownOnOneLine("あいうえお", 3), "あいう…");
    EXPECT_EQ(ShownOnOneLine("あいう", 3), "あいう");
    const std::string megabyte(1 << 20, 'x');
    EXPECT_EQ(ShownOnOneLine(megabyte), std::string(200, 'x') + "…");
}

TEST(Blanks, TrimTakesOnlyTheGivenCharacters) {
    EXPECT_EQ(Trim(" \t 58 \t"), "58");
    EXPECT_EQ(TrimStart("  12 34 "), "12 34 ");
    EXPECT_EQ(TrimEnd("\t-3 \t"), "\t-3");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim(""), "");
    // The link address loses its spaces but keeps a tab.
    EXPECT_EQ(Trim("  \tmy.blog.jp/ ", " "), "\tmy.blog.jp/");
    EXPECT_TRUE(IsBlank(' ') && IsBlank('\t'));
    EXPECT_FALSE(IsBlank('\r') || IsBlank('\n') || IsBlank('\0'));
}

TEST(DoubleQuotes, EveryOneIsRemoved) {
    EXPECT_EQ(WithoutDoubleQuotes("\"a\"b\"\""), "ab");
    EXPECT_EQ(WithoutDoubleQuotes("kemless.example.jp/"), "kemless.example.jp/");
    EXPECT_EQ(WithoutDoubleQuotes("\"\""), "");
}

TEST(Saturate, HeldAtTheEndsOfThe32BitRange) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(SaturateToInt32(2147483647.0), kMax);
    EXPECT_EQ(SaturateToInt32(2147483648.0), kMax);
    EXPECT_EQ(SaturateToInt32(-2147483648.0), kMin);
    EXPECT_EQ(SaturateToInt32(-2147483649.0), kMin);
    EXPECT_EQ(SaturateToInt32(INFINITY), kMax);
    EXPECT_EQ(SaturateToInt32(-INFINITY), kMin);
    EXPECT_EQ(SaturateToInt32(NAN), kMin);
    EXPECT_EQ(FloorToInt32(-0.5), -1);
    EXPECT_EQ(FloorToInt32(2.999), 2);
    EXPECT_EQ(FloorToInt32(2147483647.9), kMax);
    EXPECT_EQ(FloorToInt32(-2147483648.1), kMin);
}

}  // namespace
}  // namespace kemless

#pragma once
// The text rules every layer shares: number texts, the full-width form of the
// Japanese sentences, how many cells a text takes on a line, blanks and
// double quotes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kemless {

// Plain decimal text: digits, a leading "-" when negative, no blank.
std::string Decimal(int64_t value);
// Decimal text of a double that holds a whole number (money can exceed 64 bits
// only with hostile settings; it is then printed without exponent).
std::string DecimalWhole(double value);
// The sign-position form: " 5307" for zero and positive, "-12" for negative.
std::string SignPositioned(double wholeValue);

// Every ASCII digit, "." and "-" of `text` replaced by its full-width form
// (U+FF10..U+FF19, U+FF0E, U+FF0D) and appended to `out`; other characters are
// kept. The only place a digit becomes full-width.
void AppendFullWidth(std::string& out, std::string_view text);
std::string ToFullWidth(std::string_view text);
// The full-width decimal text of `value`, appended without a temporary string:
// the refresh builds every line with these.
void AppendFullWidth(std::string& out, int64_t value);
std::string FullWidth(int64_t value);

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
size_t Utf8SequenceLength(unsigned char lead);
// Whether `text` is well-formed UTF-8 throughout: no stray or missing
// continuation byte, no overlong form, no surrogate, nothing beyond U+10FFFF.
bool IsUtf8(std::string_view text);
// `bytes` from a file or a setting, safe to print on a terminal or show in
// a box as one line: controls (C0, DEL, C1) and the marks that turn the text's
// direction written as escapes ("\x1b", "\n", "\u202e"), each byte that is
// not UTF-8 as U+FFFD, and at most `maxCharacters` characters, then "…".
std::string ShownOnOneLine(std::string_view bytes, size_t maxCharacters = 200);
// How much room a text takes on a line, in cells: two for a full-width
// character (kana, kanji, full-width letters), one for any other.
int DisplayCells(std::string_view utf8);

// Blanks as the text boxes and the settings files know them: space and tab.
inline constexpr std::string_view kBlanks = " \t";
bool IsBlank(char c);
// `text` without the characters of `blanks` at its start, its end, or both.
std::string_view TrimStart(std::string_view text, std::string_view blanks = kBlanks);
std::string_view TrimEnd(std::string_view text, std::string_view blanks = kBlanks);
std::string_view Trim(std::string_view text, std::string_view blanks = kBlanks);

// `text` with every double quote removed: a quoted field of the settings
// files ends at the next one, so a stored text must not hold any.
std::string WithoutDoubleQuotes(std::string_view text);

}  // namespace kemless

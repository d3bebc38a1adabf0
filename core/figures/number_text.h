#pragma once
// Number texts shared by every displayed line: half-width decimal, the
// sign-position form, and the full-width form used in the Japanese sentences.
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
// (U+FF10..U+FF19, U+FF0E, U+FF0D); other characters are kept.
std::string ToFullWidth(std::string_view text);
// Shorthand for ToFullWidth(Decimal(value)).
std::string FullWidth(int64_t value);
// Appends the full-width decimal text of `value` to `out` (no temporaries:
// the refresh builds every line with these).
void AppendFullWidth(std::string& out, int64_t value);
void AppendDecimal(std::string& out, int64_t value);

}  // namespace kemless

#include "engine/number_text.h"

#include <cmath>
#include <cstdio>

namespace kemless {

std::string Decimal(int64_t value) { return std::to_string(value); }

std::string DecimalWhole(double value) {
    if (std::fabs(value) < 9.0e15) return Decimal(static_cast<int64_t>(value));
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.0f", value);
    return buf;
}

std::string SignPositioned(double wholeValue) {
    std::string digits = DecimalWhole(wholeValue);
    if (!digits.empty() && digits.front() == '-') return digits;
    return " " + digits;
}

std::string ToFullWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            // U+FF10 + n is EF BC 90+n in UTF-8.
            out += "\xEF\xBC";
            out += static_cast<char>(0x90 + (c - '0'));
        } else if (c == '.') {
            out += "\xEF\xBC\x8E";  // ．
        } else if (c == '-') {
            out += "\xEF\xBC\x8D";  // －
        } else {
            out += c;
        }
    }
    return out;
}

std::string FullWidth(int64_t value) { return ToFullWidth(Decimal(value)); }

}  // namespace kemless

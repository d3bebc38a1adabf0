#include "figures/number_text.h"

#include <charconv>
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

void AppendDecimal(std::string& out, int64_t value) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, end);
}

void AppendFullWidth(std::string& out, int64_t value) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    for (const char* c = buf; c != end; ++c) {
        if (*c == '-') {
            out += "\xEF\xBC\x8D";
        } else {
            const char digit[3] = {'\xEF', '\xBC', static_cast<char>(0x90 + (*c - '0'))};
            out.append(digit, 3);
        }
    }
}

std::string FullWidth(int64_t value) {
    std::string out;
    AppendFullWidth(out, value);
    return out;
}

}  // namespace kemless

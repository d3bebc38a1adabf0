#include "basics/text.h"

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

void AppendFullWidth(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            // U+FF10 + n is EF BC 90+n in UTF-8.
            const char digit[3] = {'\xEF', '\xBC', static_cast<char>(0x90 + (c - '0'))};
            out.append(digit, 3);
        } else if (c == '.') {
            out += "\xEF\xBC\x8E";  // ．
        } else if (c == '-') {
            out += "\xEF\xBC\x8D";  // －
        } else {
            out += c;
        }
    }
}

std::string ToFullWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    AppendFullWidth(out, text);
    return out;
}

void AppendFullWidth(std::string& out, int64_t value) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    AppendFullWidth(out, std::string_view(buf, static_cast<size_t>(end - buf)));
}

std::string FullWidth(int64_t value) {
    std::string out;
    AppendFullWidth(out, value);
    return out;
}

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

namespace {

// The length of the well-formed UTF-8 sequence at `i`, or 0 when the bytes
// there are none: a stray or missing continuation byte, an overlong form, a
// surrogate, beyond U+10FFFF.
size_t WellFormedAt(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return 1;
    // A continuation byte cannot lead; C0 and C1 only start overlong forms.
    if (lead < 0xC2 || lead > 0xF4) return 0;
    const size_t length = Utf8SequenceLength(lead);
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    const auto next = static_cast<unsigned char>(text[i + 1]);
    if ((lead == 0xE0 && next < 0xA0) || (lead == 0xED && next >= 0xA0) || (lead == 0xF0 && next < 0x90) ||
        (lead == 0xF4 && next >= 0x90))
        return 0;
    return length;
}

uint32_t CodePoint(std::string_view sequence) {
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1) return lead;
    uint32_t c = lead & (0xFFu >> (sequence.size() + 1));
    for (size_t k = 1; k < sequence.size(); ++k)
        c = (c << 6) | (static_cast<unsigned char>(sequence[k]) & 0x3F);
    return c;
}

// Characters a terminal acts on instead of showing, or that turn the text
// around it: C0 and C1 controls, DEL, and the marks that change direction.
bool ActsOnTheTerminal(uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = WellFormedAt(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string ShownOnOneLine(std::string_view bytes, size_t maxCharacters) {
    std::string out;
    size_t characters = 0;
    for (size_t i = 0; i < bytes.size();) {
        if (characters == maxCharacters) {
            out += "…";
            break;
        }
        ++characters;
        const size_t length = WellFormedAt(bytes, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD, one for each byte that is not UTF-8
            ++i;
            continue;
        }
        const std::string_view sequence = bytes.substr(i, length);
        i += length;
        const uint32_t c = CodePoint(sequence);
        if (!ActsOnTheTerminal(c)) {
            out += sequence;
            continue;
        }
        char escaped[12];
        if (c == '\n' || c == '\t' || c == '\r')
            std::snprintf(escaped, sizeof escaped, "\\%c", c == '\n' ? 'n' : c == '\t' ? 't' : 'r');
        else if (c < 0x100)
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(c));
        else
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
        out += escaped;
    }
    return out;
}

int DisplayCells(std::string_view utf8) {
    int cells = 0;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = Utf8SequenceLength(lead);
        uint32_t c = length == 1 ? lead : lead & (0xFFu >> (length + 1));
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
        cells += wide ? 2 : 1;
    }
    return cells;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimStart(std::string_view text, std::string_view blanks) {
    const size_t first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimEnd(std::string_view text, std::string_view blanks) {
    const size_t last = text.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
    return TrimEnd(TrimStart(text, blanks), blanks);
}

std::string WithoutDoubleQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '"') out += c;
    return out;
}

}  // namespace kemless

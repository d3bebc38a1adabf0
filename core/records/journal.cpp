#include "records/journal.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

#include "basics/text.h"

namespace kemless {
namespace {

bool IsKindWord(std::string_view word) {
    if (word.empty() || word[0] < 'a' || word[0] > 'z') return false;
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; });
}

// A number of exactly `digits` digits (any number of them for 0): digits
// alone, so no sign slips through as a number.
std::optional<int32_t> Digits(std::string_view text, size_t digits) {
    if (text.empty() || (digits != 0 && text.size() != digits) || text.size() > 9) return std::nullopt;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int DaysInMonthOf(int32_t year, int32_t month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::optional<CalendarMoment> ParseMinute(std::string_view date, std::string_view time) {
    const size_t first = date.find('-');
    if (first == std::string_view::npos || first < 4 || date.size() != first + 6 || date[first + 3] != '-')
        return std::nullopt;
    if (time.size() != 5 || time[2] != ':') return std::nullopt;
    const auto year = Digits(date.substr(0, first), 0);
    const auto month = Digits(date.substr(first + 1, 2), 2);
    const auto day = Digits(date.substr(first + 4, 2), 2);
    const auto hour = Digits(time.substr(0, 2), 2);
    const auto minute = Digits(time.substr(3, 2), 2);
    if (!year || !month || !day || !hour || !minute) return std::nullopt;
    // Only a minute the calendar has: no 30 February, no year 0.
    if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonthOf(*year, *month) ||
        *hour > 23 || *minute > 59)
        return std::nullopt;
    return CalendarMoment{*year, *month, *day, *hour, *minute};
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// The journal's lines: every line with its line end taken off; a last one
// without a line end is a line too.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines = Split(bytes, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

}  // namespace

void AppendEscapedWord(std::string& out, std::string_view word) {
    if (word.empty()) {
        out += "\\e";
        return;
    }
    for (const char c : word) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': out += "\\\\"; break;
            case ' ': out += "\\s"; break;
            case '=': out += "\\q"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (b < 0x20 || b == 0x7F) {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02X", b);
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> UnescapedWord(std::string_view word) {
    if (word == "\\e") return std::string();
    std::string out;
    for (size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '\\') {
            out += word[i];
            continue;
        }
        if (++i == word.size()) return std::nullopt;
        switch (word[i]) {
            case '\\': out += '\\'; break;
            case 's': out += ' '; break;
            case 'q': out += '='; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                if (i + 2 >= word.size()) return std::nullopt;
                const int high = HexDigit(word[i + 1]);
                const int low = HexDigit(word[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return out;
}

std::optional<std::string_view> JournalEvent::field(std::string_view key) const {
    for (const auto& [k, v] : fields)
        if (k == key) return std::string_view(v);
    return std::nullopt;
}

std::string FormatJournalLine(const JournalEvent& e) {
    char minute[32];
    std::snprintf(minute, sizeof minute, "%04d-%02d-%02d %02d:%02d", e.at.year, e.at.month, e.at.day,
                  e.at.hour, e.at.minute);
    std::string line = minute;
    line += ' ';
    AppendEscapedWord(line, e.kind);
    for (const std::string& word : e.words) {
        line += ' ';
        AppendEscapedWord(line, word);
    }
    for (const auto& [key, value] : e.fields) {
        line += ' ';
        AppendEscapedWord(line, key);
        line += '=';
        // An empty value needs no mark: "key=" says it.
        if (!value.empty()) AppendEscapedWord(line, value);
    }
    line += '\n';
    return line;
}

std::optional<JournalEvent> ParseJournalLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Written lines hold no control character: each is escaped.
    if (!IsUtf8(line) || std::any_of(line.begin(), line.end(), [](char c) {
            const auto b = static_cast<unsigned char>(c);
            return b < 0x20 || b == 0x7F;
        }))
        return std::nullopt;
    const std::vector<std::string_view> tokens = Split(line, ' ');
    if (tokens.size() < 3) return std::nullopt;
    const std::optional<CalendarMoment> at = ParseMinute(tokens[0], tokens[1]);
    if (!at || !IsKindWord(tokens[2])) return std::nullopt;
    JournalEvent e;
    e.at = *at;
    e.kind = tokens[2];
    for (size_t i = 3; i < tokens.size(); ++i) {
        const std::string_view token = tokens[i];
        const size_t equals = token.find('=');
        if (equals == std::string_view::npos) {
            // Plain words come before the fields.
            if (!e.fields.empty()) return std::nullopt;
            std::optional<std::string> word = UnescapedWord(token);
            if (!word || token.empty()) return std::nullopt;
            e.words.push_back(std::move(*word));
            continue;
        }
        if (!IsKindWord(token.substr(0, equals))) return std::nullopt;
        std::optional<std::string> value = UnescapedWord(token.substr(equals + 1));
        if (!value || token.substr(equals + 1) == "\\e") return std::nullopt;
        e.fields.emplace_back(std::string(token.substr(0, equals)), std::move(*value));
    }
    return e;
}

std::vector<JournalEvent> ParseJournal(std::string_view bytes) {
    std::vector<JournalEvent> events;
    for (const std::string_view line : Lines(bytes))
        if (std::optional<JournalEvent> e = ParseJournalLine(line)) events.push_back(std::move(*e));
    return events;
}

std::optional<std::string> NoticeKeyOf(const JournalEvent& e) {
    if ((e.kind != "notice" && e.kind != "seen") || e.words.empty()) return std::nullopt;
    std::vector<std::pair<std::string, std::string>> fields = e.fields;
    std::sort(fields.begin(), fields.end());
    std::string key = e.words[0];
    key += '\0';
    key += std::to_string(e.words.size());
    for (const auto& [k, v] : fields) key += '\0' + k + '=' + v;
    return key;
}

std::optional<int64_t> NoticeValueOf(const JournalEvent& e) {
    if ((e.kind != "notice" && e.kind != "seen") || e.words.empty()) return std::nullopt;
    const std::string& last = e.words.back();
    if (last.empty() || last.size() > 18 ||
        !std::all_of(last.begin(), last.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int64_t value = 0;
    std::from_chars(last.data(), last.data() + last.size(), value);
    return value;
}

std::string CompactJournal(std::string_view bytes) {
    const std::vector<std::string_view> lines = Lines(bytes);
    // For each milestone, the line that reached furthest: the highest value,
    // the later line on a tie. Where a line stands says nothing: a merge of
    // two computers' journals may put a lower value last.
    struct Best {
        int64_t value;
        size_t line;
    };
    std::vector<std::optional<std::string>> keys(lines.size());
    std::map<std::string, Best> best;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<JournalEvent> e = ParseJournalLine(lines[i]);
        if (!e) continue;
        // A notice line that names no number is kept as it stands.
        const std::optional<int64_t> value = NoticeValueOf(*e);
        if (!value) continue;
        keys[i] = NoticeKeyOf(*e);
        auto [it, fresh] = best.try_emplace(*keys[i], Best{*value, i});
        if (!fresh && *value >= it->second.value) it->second = {*value, i};
    }
    std::string out;
    out.reserve(bytes.size() + 1);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (keys[i] && best[*keys[i]].line != i) continue;
        out += lines[i];
        out += '\n';
    }
    return out;
}

std::string MinuteWord(const CalendarMoment& m) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

std::optional<CalendarMoment> ParseMinuteWord(std::string_view word) {
    const size_t t = word.find('T');
    if (t == std::string_view::npos) return std::nullopt;
    return ParseMinute(word.substr(0, t), word.substr(t + 1));
}

}  // namespace kemless

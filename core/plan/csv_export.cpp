#include "plan/csv_export.h"

#include <cstdio>

#include "recovery/attempt_lines.h"

namespace kemless {
namespace {

std::string MinuteText(const CalendarMoment& m) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

const char* KindText(AttemptEventKind kind) {
    switch (kind) {
        case AttemptEventKind::UrgePassed: return "乗り越えた";
        case AttemptEventKind::Slip: return "吸ってしまった";
        case AttemptEventKind::AttemptStart: return "卒煙の始まり";
        case AttemptEventKind::AttemptEnd: return "卒煙の終わり";
        case AttemptEventKind::QuitCorrected: return "卒煙開始日時の訂正";
    }
    return "";
}

bool HasQuit(AttemptEventKind kind) {
    return kind != AttemptEventKind::UrgePassed && kind != AttemptEventKind::Slip;
}

}  // namespace

std::string CsvField(std::string_view text) {
    std::string field;
    if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' ||
                          text[0] == '\t' || text[0] == '\r'))
        field += '\'';
    field += text;
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string JournalCsv(const std::vector<JournalEvent>& journal) {
    std::string out = "日時,種類,きっかけ,卒煙開始日時\r\n";
    for (const JournalEvent& line : journal) {
        const std::optional<AttemptEvent> e = AttemptEventOfLine(line);
        if (!e) continue;
        out += MinuteText(e->at);
        out += ',';
        out += KindText(e->kind);
        out += ',';
        out += CsvField(e->trigger);
        out += ',';
        if (HasQuit(e->kind)) out += MinuteText(e->quit);
        out += "\r\n";
    }
    return out;
}

}  // namespace kemless

#include "display/panel_texts.h"

#include <cstdio>
#include <optional>

#include "basics/text.h"
#include "content/unsmoked.h"
#include "display/copy_texts.h"
#include "display/milestones.h"
#include "figures/statistics.h"

namespace kemless {
namespace {

std::string MomentText(const CalendarMoment& m) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

// Metres from whole hundredths as a JSON number: "98.41", "0.5", "-1.2".
// The display's own digits, so a hand-edited habit that pushes the
// hundredths past 64 bits gives the display's (long) number here too, never
// a wrapped one; only the zero a JSON number needs before its point is added.
std::string MetresNumber(double metreHundredths) {
    std::string out = FormatMetres(metreHundredths);
    const std::size_t point = out.front() == '-' ? 1 : 0;
    if (point < out.size() && out[point] == '.') out.insert(point, 1, '0');
    return out;
}

const char* KindName(MilestoneKind kind) {
    switch (kind) {
        case MilestoneKind::Title: return "title";
        case MilestoneKind::Calendar: return "month";
        case MilestoneKind::Duck: return "duck";
        case MilestoneKind::Length: return "length";
        case MilestoneKind::Health: return "health";
    }
    return "";
}

// Builds "key":value pairs in the order added.
class JsonObject {
public:
    JsonObject& raw(std::string_view key, const std::string& value) {
        text_ += text_.empty() ? '{' : ',';
        text_ += JsonString(key);
        text_ += ':';
        text_ += value;
        return *this;
    }
    JsonObject& text(std::string_view key, std::string_view value) { return raw(key, JsonString(value)); }
    JsonObject& number(std::string_view key, int64_t value) { return raw(key, Decimal(value)); }
    std::string done() const { return text_.empty() ? "{}" : text_ + "}"; }

private:
    std::string text_;
};

}  // namespace

std::string Grouped(std::string_view digits) {
    std::string out;
    const size_t first = !digits.empty() && digits[0] == '-' ? 1 : 0;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > first && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (b < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string CompactText(const DisplayState& d, const InitialSettings& in, const OptionSettings& op) {
    const QuitStatistics stats = ComputeStatistics(d.elapsedMinutes, in.cigarettesPerDay, in.packPrice,
                                                   RepairTaxRate(op.taxRatePercent));
    return "卒煙" + Decimal(ElapsedDays(d.elapsedMinutes)) + "日・" +
           Grouped(DecimalWhole(stats.moneySaved)) + "円";
}

std::string EscapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string WithLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

std::string SummaryJson(const DisplayState& d, const InitialSettings& in, const OptionSettings& op,
                        const CalendarMoment& now, bool markup) {
    auto shown = [markup](std::string_view text) { return markup ? EscapeMarkup(text) : std::string(text); };
    const QuitStatistics stats = ComputeStatistics(d.elapsedMinutes, in.cigarettesPerDay, in.packPrice,
                                                   RepairTaxRate(op.taxRatePercent));
    const UnsmokedFigures unsmoked = ComputeUnsmoked(d.elapsedMinutes, in.cigarettesPerDay, in.cigaretteSize);
    const ElapsedTime& t = d.elapsed;
    JsonObject elapsed;
    elapsed.number("years", t.years)
        .number("months", t.months)
        .number("days", t.days)
        .number("hours", t.hours)
        .number("minutes", t.minutes)
        .text("text", FormatElapsedFull(t));
    JsonObject json;
    json.text("text", shown(CompactText(d, in, op)))
        .text("tooltip", shown(WithLineFeeds(SummaryText(d, in, op))))
        .text("class", "kemless")
        .text("quit", MomentText(in.quit))
        .text("now", MomentText(now))
        .raw("elapsed", elapsed.done())
        .number("totalDays", ElapsedDays(d.elapsedMinutes))
        .number("minutes", d.elapsedMinutes)
        .raw("money", DecimalWhole(stats.moneySaved))
        .raw("tax", DecimalWhole(stats.taxShare))
        .text("moneyText", d.captions[kMoneyLabel])
        .number("lifeMinutes", d.lifeMinutesGained)
        .text("life", d.captions[kLifeLabel])
        .number("cigarettes", unsmoked.count)
        .raw("metres", MetresNumber(unsmoked.metreHundredths))
        .text("landmark", unsmoked.landmark)
        .text("unsmoked", d.captions[kUnsmokedLabel])
        .text("title", d.captions[kStatusLabel])
        .text("statusMode", op.statusMode);
    if (const std::optional<UpcomingMilestone> next = NextMilestoneAfter(in, op, now)) {
        JsonObject upcoming;
        upcoming.text("kind", KindName(next->notice.kind))
            .text("text", next->notice.phrase)
            .text("at", MomentText(next->at))
            .number("inMinutes", next->minutesFromNow);
        json.raw("next", upcoming.done());
    } else {
        json.raw("next", "null");
    }
    json.text("summary", WithLineFeeds(SummaryText(d, in, op))).text("short", ShortText(d, in, op));
    return json.done();
}

std::array<FigureLine, 3> WonSoFar(const DisplayState& display) {
    return {FigureLine{"節約できた金額", DecimalWhole(display.moneySaved) + "円"},
            FigureLine{"延びた寿命", display.captions[kLifeLabel]},
            FigureLine{"吸わなかった煙草", Decimal(display.unsmokedCount) + "本"}};
}

}  // namespace kemless

#include "plan/plan_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "basics/text.h"
#include "figures/calendar.h"
#include "records/journal.h"

namespace kemless {
namespace {

// Far more than ten reasons and five alarms take; anything larger is no plan
// of ours and is not read (nor written over).
constexpr off_t kMaxPlanBytes = 256 * 1024;

constexpr std::array<const char*, 7> kDayLetters = {"日", "月", "火", "水", "木", "金", "土"};

// The words of a value; nullopt when one does not read.
std::optional<std::vector<std::string>> WordsOf(std::string_view value) {
    std::vector<std::string> words;
    size_t start = 0;
    while (true) {
        const size_t blank = value.find(' ', start);
        const std::string_view token = value.substr(start, blank - start);
        std::optional<std::string> word = token.empty() ? std::nullopt : UnescapedWord(token);
        if (!word) return std::nullopt;
        words.push_back(std::move(*word));
        if (blank == std::string_view::npos) return words;
        start = blank + 1;
    }
}

int CodePoints(std::string_view text) {
    int n = 0;
    for (size_t i = 0; i < text.size(); i += Utf8SequenceLength(static_cast<unsigned char>(text[i]))) ++n;
    return n;
}

// At most `limit` characters, never cutting one in two.
std::string CutTo(std::string_view text, int limit) {
    size_t i = 0;
    for (int n = 0; i < text.size() && n < limit; ++n)
        i += Utf8SequenceLength(static_cast<unsigned char>(text[i]));
    return std::string(text.substr(0, std::min(i, text.size())));
}

// A text as the plan keeps it: trimmed, on one line, within its length.
std::string Tidy(std::string_view text, int limit) {
    std::string flat;
    for (const char c : Trim(text, " \t\r\n")) flat += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    return CutTo(flat, limit);
}

// A text a line may hold: well-formed, without line breaks, within its length.
bool Fits(std::string_view text, int limit) {
    return IsUtf8(text) && CodePoints(text) <= limit &&
           std::none_of(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; });
}

std::optional<int64_t> WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

std::optional<std::array<bool, 7>> ParseDays(std::string_view text) {
    std::array<bool, 7> days{};
    if (text == "毎日") return std::array<bool, 7>{true, true, true, true, true, true, true};
    size_t i = 0;
    while (i < text.size()) {
        bool found = false;
        for (size_t d = 0; d < kDayLetters.size(); ++d) {
            const std::string_view letter = kDayLetters[d];
            if (text.substr(i, letter.size()) == letter && !days[d]) {
                days[d] = true;
                i += letter.size();
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
    }
    return days;
}

std::string TimeText(int32_t hour, int32_t minute) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
    return text;
}

std::optional<std::pair<int32_t, int32_t>> ParseTime(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') return std::nullopt;
    const std::optional<int64_t> hour = WholeNumber(text.substr(0, 2));
    const std::optional<int64_t> minute = WholeNumber(text.substr(3, 2));
    if (!hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
    return std::pair<int32_t, int32_t>(static_cast<int32_t>(*hour), static_cast<int32_t>(*minute));
}

// A reward named but not priced yet is one the user is still deciding on;
// one reached always had its price.
std::optional<Reward> ParseReward(const std::vector<std::string>& w, bool priced) {
    if (w.size() < 2 || w[0].empty() || !Fits(w[0], kMaxRewardNameLength)) return std::nullopt;
    const std::optional<int64_t> price = WholeNumber(w[1]);
    if (!price || *price < (priced ? 1 : 0) || *price > kMaxRewardPrice) return std::nullopt;
    return Reward{w[0], *price};
}

// Reads one line into the plan; false when it does not read or goes beyond
// a limit (it is then kept as it stands).
bool ReadLine(std::string_view line, Plan& plan) {
    if (!IsUtf8(line)) return false;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string_view key = line.substr(0, equals);
    const std::optional<std::vector<std::string>> words = WordsOf(line.substr(equals + 1));
    if (!words) return false;
    const std::vector<std::string>& w = *words;
    if (key == "reason") {
        if (w.size() != 1 || w[0].empty() || !Fits(w[0], kMaxReasonLength) ||
            plan.reasons.size() >= kMaxReasons)
            return false;
        plan.reasons.push_back(w[0]);
        return true;
    }
    if (key == "trigger") {
        if (w.size() != 2 || w[0].empty() || !Fits(w[0], kMaxTriggerLength) ||
            !Fits(w[1], kMaxActionLength) || plan.trigger(w[0]) != nullptr ||
            plan.triggers.size() >= kMaxTriggers)
            return false;
        plan.triggers.push_back({w[0], w[1]});
        return true;
    }
    if (key == "alarm") {
        if (w.size() != 4 || plan.alarms.size() >= kMaxAlarms || !Fits(w[2], kMaxTriggerLength)) return false;
        const auto time = ParseTime(w[0]);
        const auto days = ParseDays(w[1]);
        if (!time || !days || (w[3] != "on" && w[3] != "off")) return false;
        plan.alarms.push_back({time->first, time->second, *days, w[2], w[3] == "on"});
        return true;
    }
    if (key == "reward") {
        const std::optional<Reward> reward = ParseReward(w, false);
        if (w.size() != 2 || !reward || plan.reward) return false;
        plan.reward = *reward;
        return true;
    }
    if (key == "reached") {
        const std::optional<Reward> reward = ParseReward(w, true);
        if (w.size() != 3 || !reward || plan.reached.size() >= kMaxReachedRewards) return false;
        const std::optional<CalendarMoment> quit = ParseMinuteWord(w[2]);
        if (!quit || !IsRealMoment(*quit)) return false;
        plan.reached.push_back({*reward, *quit});
        return true;
    }
    return false;
}

void AppendLine(std::string& out, std::string_view key, std::initializer_list<std::string_view> words) {
    out += key;
    out += '=';
    bool first = true;
    for (const std::string_view word : words) {
        if (!first) out += ' ';
        first = false;
        AppendEscapedWord(out, word);
    }
    out += '\n';
}

}  // namespace

bool IsCommonTrigger(std::string_view name) {
    return std::find(kCommonTriggers.begin(), kCommonTriggers.end(), name) != kCommonTriggers.end();
}

const TriggerPlan* Plan::trigger(std::string_view name) const {
    for (const TriggerPlan& t : triggers)
        if (t.name == name) return &t;
    return nullptr;
}

Plan ParsePlan(std::string_view bytes) {
    Plan plan;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (!ReadLine(line, plan)) plan.kept.emplace_back(line);
    }
    return plan;
}

Plan LimitPlan(Plan in) {
    Plan out;
    out.kept = std::move(in.kept);
    for (const std::string& reason : in.reasons) {
        std::string r = Tidy(reason, kMaxReasonLength);
        if (!r.empty() && out.reasons.size() < kMaxReasons) out.reasons.push_back(std::move(r));
    }
    for (const TriggerPlan& t : in.triggers) {
        TriggerPlan tidy{Tidy(t.name, kMaxTriggerLength), Tidy(t.action, kMaxActionLength)};
        if (tidy.name.empty() || out.trigger(tidy.name) != nullptr || out.triggers.size() >= kMaxTriggers)
            continue;
        out.triggers.push_back(std::move(tidy));
    }
    for (PlanAlarm a : in.alarms) {
        if (out.alarms.size() >= kMaxAlarms) break;
        a.hour = std::clamp(a.hour, 0, 23);
        a.minute = std::clamp(a.minute, 0, 59);
        a.trigger = Tidy(a.trigger, kMaxTriggerLength);
        if (out.trigger(a.trigger) == nullptr) a.trigger.clear();
        out.alarms.push_back(std::move(a));
    }
    auto tidyReward = [](const Reward& r, bool priced) -> std::optional<Reward> {
        Reward t{Tidy(r.name, kMaxRewardNameLength), std::clamp<int64_t>(r.price, 0, kMaxRewardPrice)};
        if (t.name.empty() || (priced && t.price < 1)) return std::nullopt;
        return t;
    };
    if (in.reward) out.reward = tidyReward(*in.reward, false);
    for (const ReachedReward& r : in.reached) {
        const std::optional<Reward> t = tidyReward(r.reward, true);
        if (t && IsRealMoment(r.quit) && out.reached.size() < kMaxReachedRewards)
            out.reached.push_back({*t, r.quit});
    }
    return out;
}

std::string WritePlan(const Plan& given) {
    const Plan plan = LimitPlan(given);
    std::string out;
    for (const std::string& reason : plan.reasons) AppendLine(out, "reason", {reason});
    for (const TriggerPlan& t : plan.triggers) AppendLine(out, "trigger", {t.name, t.action});
    for (const PlanAlarm& a : plan.alarms) {
        std::string days;
        for (size_t d = 0; d < a.days.size(); ++d)
            if (a.days[d]) days += kDayLetters[d];
        AppendLine(out, "alarm", {TimeText(a.hour, a.minute), days, a.trigger, a.on ? "on" : "off"});
    }
    if (plan.reward) AppendLine(out, "reward", {plan.reward->name, Decimal(plan.reward->price)});
    for (const ReachedReward& r : plan.reached)
        AppendLine(out, "reached", {r.reward.name, Decimal(r.reward.price), MinuteWord(r.quit)});
    for (const std::string& line : plan.kept) {
        out += line;
        out += '\n';
    }
    return out;
}

std::string IfThenText(const TriggerPlan& t) {
    return t.name + "に吸いたくなったら → " + (t.action.empty() ? "（対策はまだ決めていません）" : t.action);
}

std::string DaysText(const std::array<bool, 7>& days) {
    if (std::all_of(days.begin(), days.end(), [](bool d) { return d; })) return "毎日";
    std::string text;
    for (size_t d = 0; d < days.size(); ++d)
        if (days[d]) text += kDayLetters[d];
    return text.empty() ? "なし" : text;
}

FileOutcome PlanFile::open(int dir, const std::string& dirPath) {
    dir_ = dir;
    dirPath_ = dirPath;
    plan_ = Plan();
    writable_ = false;
    blocked_ = {};
    if (dir < 0) {
        blocked_ = {FileProblem::NoFolder, 0, JoinPath(dirPath, kPlanName), {}};
        return blocked_;
    }
    const ReadOutcome read = ReadRegularFileAt(dir, dirPath, kPlanName, kMaxPlanBytes, kMaxPlanBytes);
    switch (read.state) {
        case ReadOutcome::State::Missing: writable_ = true; return {};
        case ReadOutcome::State::Read:
            plan_ = ParsePlan(read.bytes);
            writable_ = true;
            return {};
        case ReadOutcome::State::Blocked: break;
    }
    blocked_ = read.blocked;
    if (blocked_) blocked_.problem = FileProblem::Other;
    if (blocked_.path.empty()) blocked_.path = JoinPath(dirPath, kPlanName);
    return blocked_;
}

FileOutcome PlanFile::save(Plan plan) {
    if (!writable_) return blocked_;
    // The window edits the plan; the lines the file kept are the file's.
    plan.kept = plan_.kept;
    plan = LimitPlan(std::move(plan));
    FileOutcome written = WriteFileAtomicallyAt(dir_, dirPath_, kPlanName, WritePlan(plan));
    if (written) plan_ = std::move(plan);
    return written;
}

std::string PlanNotKeptText(const FileOutcome& why) {
    return "「わたしの卒煙プラン」のファイルが使えません。\n\n・" + why.path + "\n　" + ProblemText(why) +
           "\n\n"
           "プランは表示も保存もできません。このファイルはそのまま残し、書き換えません。";
}

std::string PlanNotSavedText(const FileOutcome& why) {
    return "「わたしの卒煙プラン」を保存できませんでした。\n\n・" + why.path + "\n　" + ProblemText(why) +
           "\n\n"
           "前に保存したプランはそのまま残っています。";
}

}  // namespace kemless

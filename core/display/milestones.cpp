#include "display/milestones.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

#include "basics/text.h"
#include "content/landmarks.h"
#include "content/status_titles.h"
#include "content/unsmoked.h"
#include "display/refresh.h"
#include "figures/calendar.h"
#include "recovery/health_steps.h"

namespace kemless {
namespace {

constexpr int64_t kTenMetres = 10'000;

// In the order they come: three arrive on days 11, 22 and 33, and are pleased
// on days 44, 55 and 66.
const char* const kDuckWords[] = {
    "アヒル副隊長がお祝いに来ました。", "アヒル隊長がお祝いに来ました。", "アヒルの王様がお祝いに来ました。",
    "アヒル副隊長が喜んでいます。",     "アヒル隊長が喜んでいます。",     "アヒルの王様が喜んでいます。",
};
const char* const kDuckPhrases[] = {
    "アヒル副隊長のお祝い", "アヒル隊長のお祝い", "アヒルの王様のお祝い",
    "アヒル副隊長が大喜び", "アヒル隊長が大喜び", "アヒルの王様が大喜び",
};

using Fields = std::vector<std::pair<std::string, std::string>>;

// One kind of milestone as a refresh left it: its name in the journal, the
// words that say where it stands (the last one a number that grows), and
// the fields of the record it belongs to.
struct Track {
    MilestoneKind kind;
    const char* name;
    std::vector<std::string> words;
    int64_t value;
    Fields fields;
};

std::vector<Track> TracksOf(const MilestoneFigures& f) {
    const std::string quit = MinuteWord(f.quit);
    std::vector<Track> tracks;
    // An unknown theme has no title, and no rank to reach.
    if (f.titleRank >= 0)
        tracks.push_back({MilestoneKind::Title,
                          "title",
                          {f.title, Decimal(f.titleRank)},
                          f.titleRank,
                          {{"mode", f.statusMode}, {"quit", quit}}});
    tracks.push_back(
        {MilestoneKind::Calendar, "month", {Decimal(f.fullMonths)}, f.fullMonths, {{"quit", quit}}});
    tracks.push_back({MilestoneKind::Duck, "duck", {Decimal(f.duckStage)}, f.duckStage, {{"quit", quit}}});
    tracks.push_back(
        {MilestoneKind::Length,
         "length",
         {Decimal(f.roundLengthMm)},
         f.roundLengthMm,
         {{"per", Decimal(f.cigarettesPerDay)}, {"size", Decimal(f.cigaretteSize)}, {"quit", quit}}});
    tracks.push_back(
        {MilestoneKind::Health, "health", {Decimal(f.healthSteps)}, f.healthSteps, {{"quit", quit}}});
    return tracks;
}

bool IsNoticeLine(const JournalEvent& e) {
    return (e.kind == "notice" || e.kind == "seen") && !e.words.empty();
}

// "２０ｍ", "１．５ｋｍ" as the program writes lengths, full-width.
std::string LengthWords(int64_t mm) {
    if (mm < 1'000'000) return FullWidth(mm / 1000) + "ｍ";
    const int64_t hundredMetres = mm / 100'000;
    std::string km = Decimal(hundredMetres / 10);
    if (hundredMetres % 10 != 0) {
        km += '.';
        km += Decimal(hundredMetres % 10);
    }
    return ToFullWidth(km) + "ｋｍ";
}

MilestoneNotice NoticeOf(const Track& t, const MilestoneFigures& f) {
    switch (t.kind) {
        case MilestoneKind::Title:
            return {t.kind, "ランクアップ！", "ステータスが「" + f.title + "」になりました。",
                    "ランクアップ『" + f.title + "』"};
        case MilestoneKind::Calendar: {
            const int32_t years = f.fullMonths / 12;
            const int32_t months = f.fullMonths % 12;
            const std::string span = months == 0 ? FullWidth(years) + "年" : FullWidth(f.fullMonths) + "ヶ月";
            return {t.kind, "卒煙" + span + "達成！",
                    "卒煙して" + span + "になりました。おめでとうございます。", "卒煙" + span + "達成"};
        }
        case MilestoneKind::Duck: {
            const auto index = static_cast<size_t>(std::clamp(f.duckStage, 1, 6) - 1);
            return {t.kind, "アヒルからのお知らせ", kDuckWords[index], kDuckPhrases[index]};
        }
        case MilestoneKind::Health: {
            const HealthStepWords step = HealthStepWordsAt(f.healthSteps - 1);
            const std::string name = "回復のあゆみ「" + step.when + "」";
            return {t.kind, name, step.change, name};
        }
        case MilestoneKind::Length: break;
    }
    // The landmark of the round length itself, not of wherever the length
    // has got to since.
    const std::string length = LengthWords(f.roundLengthMm);
    return {t.kind, "吸わなかったタバコが" + length + "に！",
            std::string("並べると") + LookupLandmark(static_cast<double>(f.roundLengthMm)) + "に匹敵します。",
            "吸わなかったタバコが" + length};
}

// Elapsed minutes are 32-bit: nothing is reached beyond them.
constexpr int64_t kLastMinute = INT32_MAX;

// The smallest minute in (low, high] at which `reached` holds, where it
// holds at `high` and from the first such minute on.
template <typename Reached>
int64_t FirstMinute(int64_t low, int64_t high, Reached reached) {
    while (high - low > 1) {
        const int64_t middle = low + (high - low) / 2;
        (reached(middle) ? high : low) = middle;
    }
    return high;
}

// Everything a refresh `minutes` after the quit moment shows of the milestones.
MilestoneFigures FiguresAt(const InitialSettings& initial, const OptionSettings& options, int64_t minutes) {
    DisplayState display;
    OptionSettings copy = options;
    RefreshDisplay(display, initial, copy, MomentAfter(initial.quit, minutes), 0);
    return display.milestones;
}

int32_t YearsAt(const InitialSettings& initial, int64_t minutes) {
    return ComputeElapsed(initial.quit, MomentAfter(initial.quit, minutes)).time.years;
}

// When each kind next goes beyond where it stands `from` minutes after the quit.
std::optional<int64_t> NextTitle(const InitialSettings& initial, const OptionSettings& options, int64_t from,
                                 int32_t rank) {
    if (rank < 0) return std::nullopt;
    const int32_t years = YearsAt(initial, from);
    auto rankAt = [&](int64_t m) { return FiguresAt(initial, options, m).titleRank; };
    if (years == 0) {
        // Within the first year the title follows the days, and the first
        // anniversary always brings a new one.
        const int64_t anniversary = FirstMinute(from, std::min(from + 367 * 1440, kLastMinute),
                                                [&](int64_t m) { return YearsAt(initial, m) >= 1; });
        if (YearsAt(initial, anniversary) < 1) return std::nullopt;
        return FirstMinute(from, anniversary, [&](int64_t m) { return rankAt(m) > rank; });
    }
    // From then on only an anniversary changes it.
    for (int32_t year = years + 1; year <= 1100; ++year) {
        if (StatusTitleRank(options.statusMode, 400, year) <= rank) continue;
        const int64_t high = std::min(from + int64_t{year - years + 1} * 366 * 1440, kLastMinute);
        if (YearsAt(initial, high) < year) return std::nullopt;
        return FirstMinute(from, high, [&](int64_t m) { return YearsAt(initial, m) >= year; });
    }
    return std::nullopt;
}

std::optional<int64_t> NextMonth(const InitialSettings& initial, const OptionSettings& options, int64_t from,
                                 int32_t fullMonths) {
    auto beyond = [&](int64_t m) { return FiguresAt(initial, options, m).fullMonths > fullMonths; };
    const int64_t high = std::min(from + 62 * 1440, kLastMinute);
    if (!beyond(high)) return std::nullopt;
    return FirstMinute(from, high, beyond);
}

std::optional<int64_t> NextLength(const InitialSettings& initial, int64_t from, int64_t round) {
    const double perMinute = static_cast<double>(initial.cigaretteSize) * initial.cigarettesPerDay / 1440.0;
    if (!(perMinute > 0)) return std::nullopt;
    auto roundAt = [&](int64_t m) {
        return RoundLengthBelow(
            ComputeUnsmoked(static_cast<int32_t>(m), initial.cigarettesPerDay, initial.cigaretteSize)
                .lengthMm);
    };
    // The next round length, and a minute safely past it.
    int64_t step = kTenMetres;
    while (round >= step * 10 && step <= INT64_MAX / 100) step *= 10;
    const int64_t next = round < kTenMetres ? kTenMetres : round + step;
    const double past = static_cast<double>(next) / perMinute + 1440;
    if (!(past < static_cast<double>(kLastMinute))) return std::nullopt;
    const int64_t high = std::max(from + 1, static_cast<int64_t>(past));
    if (roundAt(high) <= round) return std::nullopt;
    return FirstMinute(from, high, [&](int64_t m) { return roundAt(m) > round; });
}

}  // namespace

int64_t RoundLengthBelow(double lengthMm) {
    if (!(lengthMm >= kTenMetres)) return 0;
    // The leading digit of the length at its own power of ten, from 10 m up.
    int64_t step = kTenMetres;
    while (step <= INT64_MAX / 10 && lengthMm >= static_cast<double>(step) * 10) step *= 10;
    // Beyond the largest step the lead is no digit: held at what a length in
    // millimetres can be.
    const double lead = std::floor(lengthMm / static_cast<double>(step));
    const int64_t most = INT64_MAX / step;
    return (lead >= static_cast<double>(most) ? most : static_cast<int64_t>(lead)) * step;
}

void NoticeLedger::add(const JournalEvent& e) {
    const std::optional<int64_t> value = NoticeValueOf(e);
    if (!value) return;
    const std::string key = *NoticeKeyOf(e);
    auto [it, fresh] = furthest_.try_emplace(key, *value);
    if (!fresh) it->second = std::max(it->second, *value);
    if (e.words[0] == "title")
        if (const auto quit = e.field("quit"), mode = e.field("mode"); quit && mode)
            titleMode_[std::string(*quit)] = std::string(*mode);
}

std::optional<int64_t> NoticeLedger::furthest(const std::string& key) const {
    const auto it = furthest_.find(key);
    if (it == furthest_.end()) return std::nullopt;
    return it->second;
}

const std::string* NoticeLedger::lastTitleMode(const std::string& quitWord) const {
    const auto it = titleMode_.find(quitWord);
    return it == titleMode_.end() ? nullptr : &it->second;
}

MilestoneRound NextMilestones(const NoticeLedger& journal, const MilestoneFigures& figures,
                              const CalendarMoment& now) {
    MilestoneRound round;
    for (const Track& t : TracksOf(figures)) {
        JournalEvent line{now, "notice", {t.name}, t.fields};
        line.words.insert(line.words.end(), t.words.begin(), t.words.end());
        const std::optional<int64_t> furthest = journal.furthest(*NoticeKeyOf(line));
        bool themeChanged = false;
        if (t.kind == MilestoneKind::Title)
            if (const std::string* mode = journal.lastTitleMode(MinuteWord(figures.quit)))
                themeChanged = *mode != figures.statusMode;
        if (!themeChanged && furthest && t.value <= *furthest) continue;
        if (!furthest || themeChanged) {
            line.kind = "seen";
        } else {
            round.due.push_back(NoticeOf(t, figures));
        }
        round.lines.push_back(std::move(line));
    }
    return round;
}

MilestoneRound NextMilestones(const std::vector<JournalEvent>& journal, const MilestoneFigures& figures,
                              const CalendarMoment& now) {
    NoticeLedger ledger;
    for (const JournalEvent& e : journal) ledger.add(e);
    return NextMilestones(ledger, figures, now);
}

std::optional<UpcomingMilestone> NextMilestoneAfter(const InitialSettings& initial,
                                                    const OptionSettings& options,
                                                    const CalendarMoment& now) {
    const Elapsed elapsed = ComputeElapsed(initial.quit, now);
    const int64_t from = elapsed.minutes;
    // A quit moment still to come (a clock set back): counted from now.
    const int64_t wait = elapsed.quitInFuture ? ComputeElapsed(now, initial.quit).minutes : 0;
    const MilestoneFigures figures = FiguresAt(initial, options, from);
    std::optional<int64_t> when[4];
    when[0] = NextTitle(initial, options, from, figures.titleRank);
    when[1] = NextMonth(initial, options, from, figures.fullMonths);
    // Ducks come on whole days: 11, 22, … 66.
    if (figures.duckStage < 6) when[2] = int64_t{figures.duckStage + 1} * 11 * 1440;
    when[3] = NextLength(initial, from, figures.roundLengthMm);
    std::optional<UpcomingMilestone> first;
    for (int kind = 0; kind < 4; ++kind) {
        if (!when[kind] || (first && *when[kind] - from + wait >= first->minutesFromNow)) continue;
        const MilestoneFigures then = FiguresAt(initial, options, *when[kind]);
        for (const Track& t : TracksOf(then))
            if (static_cast<int>(t.kind) == kind)
                first = UpcomingMilestone{NoticeOf(t, then), MomentAfter(initial.quit, *when[kind]),
                                          *when[kind] - from + wait};
    }
    return first;
}

std::string JournalLines(const std::vector<JournalEvent>& lines) {
    std::string text;
    for (const JournalEvent& e : lines) text += FormatJournalLine(e);
    return text;
}

std::vector<JournalEvent> NoticeLines(std::vector<JournalEvent> journal) {
    std::erase_if(journal, [](const JournalEvent& e) { return !IsNoticeLine(e); });
    return journal;
}

NoticeText JoinNotices(const std::vector<MilestoneNotice>& due) {
    if (due.empty()) return {};
    NoticeText text{due.front().summary, due.front().body};
    for (std::size_t i = 1; i < due.size(); ++i) text.body += "\n" + due[i].summary + "\n" + due[i].body;
    return text;
}

NoticeText JoinNoticesWhileAway(const std::vector<MilestoneNotice>& due) {
    if (due.empty()) return {};
    NoticeText text{"お休みのあいだに：", {}};
    for (std::size_t i = 0; i < due.size(); ++i) {
        text.summary += (i == 0 ? "" : "、") + due[i].phrase;
        // The title names each already: one notice is its sentence alone;
        // of several, a headline stays where it tells them apart (not where
        // it is the title's own words).
        const bool headline = due.size() > 1 && due[i].summary != due[i].phrase;
        if (i > 0) text.body += '\n';
        if (headline) text.body.append(due[i].summary).append("\n");
        text.body += due[i].body;
    }
    return text;
}

}  // namespace kemless

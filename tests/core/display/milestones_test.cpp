// Milestone notices against the journal: what a round says and writes when
// the program starts for the first time with notices, runs on, restarts,
// was off overnight, finds the clock set back, or shares its folder with a
// second copy; the texts of a notice; and when the next milestone comes.
#include "display/milestones.h"

#include <gtest/gtest.h>

#include "content/landmarks.h"
#include "display/refresh.h"
#include "figures/calendar.h"
#include "support/calendar.h"

namespace kemless {
namespace {

std::vector<MilestoneKind> KindsOf(const std::vector<MilestoneNotice>& notices) {
    std::vector<MilestoneKind> kinds;
    for (const MilestoneNotice& n : notices) kinds.push_back(n.kind);
    return kinds;
}

// A quit on 1 March 2024 at noon, 20 standard cigarettes a day, soldier
// titles; the journal as the program would keep it.
class Milestones : public ::testing::Test {
protected:
    MilestoneFigures at(CalendarMoment now) {
        DisplayState display;
        RefreshDisplay(display, initial, options, now, 50);
        return display.milestones;
    }
    CalendarMoment afterDays(double days) {
        return MinutesAfter(initial.quit, static_cast<int64_t>(days * 1440));
    }
    // One round at `now`, its lines written to the journal (read back from
    // their text, as the next start would).
    MilestoneRound round(CalendarMoment now) {
        MilestoneRound r = NextMilestones(journal, at(now), now);
        for (const JournalEvent& e : ParseJournal(JournalLines(r.lines))) journal.push_back(e);
        return r;
    }

    InitialSettings initial = [] {
        InitialSettings s;
        s.quit = {2024, 3, 1, 12, 0};
        s.cigarettesPerDay = 20;
        s.cigaretteSize = 85;
        return s;
    }();
    OptionSettings options;
    std::vector<JournalEvent> journal;
};

TEST_F(Milestones, TheFirstRoundOnAnOldRecordSaysNothingAndStartsTheJournalNow) {
    const MilestoneRound first = round(afterDays(40));
    EXPECT_TRUE(first.due.empty());
    ASSERT_EQ(first.lines.size(), 5u);
    for (const JournalEvent& e : first.lines) EXPECT_EQ(e.kind, "seen");
    EXPECT_EQ(FormatJournalLine(first.lines[0]),
              "2024-04-10 12:00 seen title 大将 16 mode=ソルジャー quit=2024-03-01T12:00\n");
    EXPECT_EQ(FormatJournalLine(first.lines[1]), "2024-04-10 12:00 seen month 1 quit=2024-03-01T12:00\n");
    EXPECT_EQ(FormatJournalLine(first.lines[2]), "2024-04-10 12:00 seen duck 3 quit=2024-03-01T12:00\n");
    EXPECT_EQ(FormatJournalLine(first.lines[3]),
              "2024-04-10 12:00 seen length 60000 per=20 size=85 quit=2024-03-01T12:00\n");
    // Six steps of 回復のあゆみ are behind an old record: none of them is said.
    EXPECT_EQ(FormatJournalLine(first.lines[4]), "2024-04-10 12:00 seen health 6 quit=2024-03-01T12:00\n");
    // From there on only what comes next is said: 70 m on day 41.18.
    EXPECT_TRUE(round(afterDays(40.5)).due.empty());
    const MilestoneRound length = round(afterDays(41.2));
    EXPECT_EQ(KindsOf(length.due), std::vector<MilestoneKind>{MilestoneKind::Length});
    EXPECT_EQ(length.due[0].summary, "吸わなかったタバコが７０ｍに！");
}

// Where the program is started, and where it is looked at again: a restart
// at the same minute or later, the next morning, after a clock set back.
struct Resume {
    const char* name;
    double firstDay;  // the last round of the run before
    double nextDay;   // the first round of the next
    std::vector<MilestoneKind> said;
};
void PrintTo(const Resume& c, std::ostream* os) { *os << c.name; }

class Restart : public Milestones, public ::testing::WithParamInterface<Resume> {};

TEST_P(Restart, SaysOnlyWhatWasNotSaidBefore) {
    const Resume& c = GetParam();
    round(afterDays(0));  // the journal begins at the quit
    for (double day = 0.5; day <= c.firstDay; day += 0.5) round(afterDays(day));
    const size_t linesBefore = journal.size();
    const MilestoneRound next = round(afterDays(c.nextDay));
    EXPECT_EQ(KindsOf(next.due), c.said);
    EXPECT_EQ(journal.size() - linesBefore, c.said.size())
        << "a notice line for each thing said, nothing else";
    // And never twice: the same figures once more say nothing.
    EXPECT_TRUE(round(afterDays(c.nextDay)).due.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Milestones, Restart,
    ::testing::Values(
        Resume{"a_restart_within_the_same_day", 12.5, 12.9, {}},
        Resume{"a_restart_after_a_crossing_already_said", 30, 30.1, {}},
        Resume{"the_next_morning_after_the_title_changed_overnight", 29.7, 30.3, {MilestoneKind::Title}},
        Resume{"off_for_a_month",
               10,
               40,
               {MilestoneKind::Title, MilestoneKind::Calendar, MilestoneKind::Duck, MilestoneKind::Length,
                MilestoneKind::Health}},
        Resume{"the_clock_set_back_five_days", 35, 30, {}},
        Resume{"the_clock_set_back_before_the_quit", 35, -3, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Milestones, WhileOffOneNoticeNamesTheLatestOfEachKind) {
    round(afterDays(10));
    const MilestoneRound away = round(afterDays(40));
    ASSERT_EQ(away.due.size(), 5u);
    const NoticeText text = JoinNoticesWhileAway(away.due);
    EXPECT_EQ(text.summary,
              "お休みのあいだに：ランクアップ『大将』、卒煙１ヶ月達成、アヒルの王様のお祝い、吸わなかったタバ"
              "コが６０ｍ、回復のあゆみ「１〜９ヶ月後」");
    EXPECT_EQ(text.body, std::string("ランクアップ！\nステータスが「大将」になりました。\n"
                                     "卒煙１ヶ月達成！\n卒煙して１ヶ月になりました。おめでとうございます。\n"
                                     "アヒルからのお知らせ\nアヒルの王様がお祝いに来ました。\n"
                                     "吸わなかったタバコが６０ｍに！\n並べると") +
                             LookupLandmark(60000) +
                             "に匹敵します。\nせきが改善し、スタミナが戻ってきます。");
}

TEST_F(Milestones, TwoCopiesSharingTheFolderSayItOnce) {
    round(afterDays(29.9));
    // Both look at the journal as it stands after the other's step.
    const MilestoneRound first = round(afterDays(30));
    const MilestoneRound second = NextMilestones(journal, at(afterDays(30)), afterDays(30));
    EXPECT_EQ(KindsOf(first.due), std::vector<MilestoneKind>{MilestoneKind::Title});
    EXPECT_TRUE(second.due.empty());
    EXPECT_TRUE(second.lines.empty());
}

TEST_F(Milestones, ANewRecordTheOrAThemeOrACountStartsAfreshWithoutAWord) {
    round(afterDays(20));
    // A new theme: the title starts again, the rest goes on.
    options.statusMode = "コスモ";
    MilestoneRound r = round(afterDays(20));
    EXPECT_TRUE(r.due.empty());
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0].kind, "seen");
    EXPECT_EQ(r.lines[0].words[0], "title");
    // Twice the cigarettes: twice the length, but nothing was walked.
    initial.cigarettesPerDay = 40;
    r = round(afterDays(20));
    EXPECT_TRUE(r.due.empty());
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0].words[0], "length");
    // A new quit moment (the settings, or a new attempt): all afresh.
    initial.quit = {2024, 3, 20, 12, 0};
    r = round(afterDays(1));
    EXPECT_TRUE(r.due.empty());
    EXPECT_EQ(r.lines.size(), 5u);
    // Back to the first theme: what it reached before is not said again.
    options.statusMode = "ソルジャー";
    initial = {};
    initial.quit = {2024, 3, 1, 12, 0};
    initial.cigarettesPerDay = 20;
    initial.cigaretteSize = 85;
    EXPECT_TRUE(round(afterDays(20.5)).due.empty());
}

// A title is the rank within the quit moment whatever the theme: a theme
// changed back and forth announces nothing, also when the rank it shows
// went beyond what that theme last reached while another was in force.
TEST_F(Milestones, AThemeChangedBackAndForthAnnouncesNothing) {
    round(afterDays(3));
    options.statusMode = "日本旅行";
    EXPECT_TRUE(round(afterDays(3)).due.empty());
    // Days pass under the travel theme: its stops are said.
    EXPECT_EQ(KindsOf(round(afterDays(9)).due).front(), MilestoneKind::Title);
    // Back to the soldiers, whose rank went up meanwhile: said nowhere.
    options.statusMode = "ソルジャー";
    EXPECT_TRUE(round(afterDays(9)).due.empty());
    EXPECT_TRUE(round(afterDays(9.1)).due.empty());
    // And the next soldier rank is said as usual.
    EXPECT_EQ(KindsOf(round(afterDays(30)).due).front(), MilestoneKind::Title);
}

TEST_F(Milestones, TheHighestLineDecidesWhereverItStands) {
    round(afterDays(1));
    round(afterDays(40));  // a month and more said
    // A merge put an older, lower line after it.
    JournalEvent lower = journal.back();
    for (JournalEvent& e : journal)
        if (e.words[0] == "month") lower = e;
    lower.words.back() = "0";
    journal.push_back(lower);
    EXPECT_TRUE(round(afterDays(40.5)).due.empty());
}

TEST_F(Milestones, AnUnknownThemeHasNoTitleToReach) {
    options.statusMode = "なにか";
    const MilestoneRound r = round(afterDays(1));
    EXPECT_EQ(r.lines.size(), 4u);
    for (const JournalEvent& e : r.lines) EXPECT_NE(e.words[0], "title");
}

TEST_F(Milestones, TheYearOfLupinIsSaidOnceAndTheTitleBeforeItIsNotSaidAgain) {
    options.statusMode = "コスモ";
    initial.quit = {1700, 1, 1, 0, 0};
    round({1799, 12, 31, 0, 0});
    EXPECT_EQ(round({1800, 1, 1, 0, 0}).due.at(0).body, "ステータスが「宇宙大神」になりました。");
    EXPECT_EQ(round({2033, 1, 1, 0, 0}).due.at(0).body, "ステータスが「ルパン三世」になりました。");
    for (const MilestoneNotice& n : round({2034, 1, 1, 0, 0}).due) EXPECT_NE(n.kind, MilestoneKind::Title);
}

TEST_F(Milestones, DamagedAndForeignLinesAreNoMilestone) {
    journal = ParseJournal(
        "2024-03-01 12:00 seen month x quit=2024-03-01T12:00\n"
        "2024-03-01 12:00 notice month 9 quit=2024-03-01T12:00 extra=1\n"
        "2024-03-01 12:00 urge month 9 quit=2024-03-01T12:00\n"
        "2024-03-01 12:00 seen month 0 quit=2024-03-01T12:00\n");
    const MilestoneRound r = round({2024, 4, 1, 12, 0});
    EXPECT_EQ(KindsOf(r.due), std::vector<MilestoneKind>{MilestoneKind::Calendar});
}

TEST_F(Milestones, ACompactedJournalSaysNothingNew) {
    for (double day = 0; day <= 70; day += 0.25) round(afterDays(day));
    const std::vector<JournalEvent> compacted = ParseJournal(CompactJournal(JournalLines(journal)));
    EXPECT_LT(compacted.size(), journal.size());
    journal = compacted;
    EXPECT_TRUE(round(afterDays(70)).due.empty());
    EXPECT_TRUE(round(afterDays(60)).due.empty());
}

TEST(NoticeText, EachNoticeKeepsItsHeadlineAndSentenceApart) {
    EXPECT_EQ(JoinNotices({}).summary, "");
    const NoticeText one =
        JoinNotices({{MilestoneKind::Duck, "アヒルからのお知らせ", "アヒル隊長が喜んでいます。", "x"}});
    EXPECT_EQ(one.summary, "アヒルからのお知らせ");
    EXPECT_EQ(one.body, "アヒル隊長が喜んでいます。");
    const NoticeText two =
        JoinNotices({{MilestoneKind::Title, "ランクアップ！", "ステータスが「中尉」になりました。", "x"},
                     {MilestoneKind::Duck, "アヒルからのお知らせ", "アヒルの王様がお祝いに来ました。", "y"}});
    EXPECT_EQ(two.summary, "ランクアップ！");
    EXPECT_EQ(two.body,
              "ステータスが「中尉」になりました。\nアヒルからのお知らせ\nアヒルの王様がお祝いに来ました。");
    EXPECT_EQ(JoinNoticesWhileAway({}).summary, "");
}

TEST_F(Milestones, ARoundLengthNamesItsOwnLandmark) {
    // 20 × 85 mm = 1.7 m a day: on day 17 the length is 28.9 m, past 20 m,
    // whose landmark is another than that of 28.9 m.
    initial.cigarettesPerDay = 20;
    round(afterDays(11));
    const MilestoneRound r = round(afterDays(17));
    const MilestoneNotice* length = nullptr;
    for (const MilestoneNotice& n : r.due)
        if (n.kind == MilestoneKind::Length) length = &n;
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length->summary, "吸わなかったタバコが２０ｍに！");
    EXPECT_EQ(length->body, std::string("並べると") + LookupLandmark(20000) + "に匹敵します。");
    EXPECT_STRNE(LookupLandmark(20000), LookupLandmark(17 * 1700));
}

TEST_F(Milestones, AYearIsSaidAsAYear) {
    round({2025, 3, 1, 11, 59});
    bool saidYear = false;
    for (const MilestoneNotice& n : round({2025, 3, 1, 12, 0}).due)
        if (n.kind == MilestoneKind::Calendar)
            saidYear = n.summary == "卒煙１年達成！" && n.phrase == "卒煙１年達成";
    EXPECT_TRUE(saidYear);
}

TEST_F(Milestones, DucksComeAndArePleasedOnTheirDays) {
    const char* const bodies[] = {"アヒル副隊長がお祝いに来ました。", "アヒル隊長がお祝いに来ました。",
                                  "アヒルの王様がお祝いに来ました。", "アヒル副隊長が喜んでいます。",
                                  "アヒル隊長が喜んでいます。",       "アヒルの王様が喜んでいます。"};
    round(afterDays(0));
    for (int stage = 1; stage <= 6; ++stage) {
        for (const MilestoneNotice& n : round(MinutesAfter(initial.quit, stage * 11 * 1440 - 1)).due)
            EXPECT_NE(n.kind, MilestoneKind::Duck) << stage;
        bool said = false;
        for (const MilestoneNotice& n : round(afterDays(stage * 11)).due)
            if (n.kind == MilestoneKind::Duck) said = n.body == bodies[stage - 1];
        EXPECT_TRUE(said) << stage;
    }
}

// Each step of 回復のあゆみ is said on the minute it is reached, once, by
// its name and what the body wins back; the quit on 1 March 2024 at noon
// reaches "１〜９ヶ月後" on 1 April at noon, on the calendar.
TEST_F(Milestones, EachHealthStepIsSaidOnItsMinuteOnce) {
    struct Step {
        CalendarMoment at;
        const char* summary;
        const char* body;
    };
    const Step steps[] = {
        {{2024, 3, 1, 12, 20},
         "回復のあゆみ「２０分後」",
         "血圧と脈拍が正常に近づき、手足が温かくなってきます。"},
        {{2024, 3, 1, 20, 0}, "回復のあゆみ「８時間後」", "血液中の一酸化炭素が減り、酸素が増えてきます。"},
        {{2024, 3, 2, 12, 0}, "回復のあゆみ「２４時間後」", "心臓発作が起こる可能性が下がり始めます。"},
        {{2024, 3, 4, 12, 0}, "回復のあゆみ「数日後」", "味や香りが、よくわかるようになってきます。"},
        {{2024, 3, 15, 12, 0},
         "回復のあゆみ「２週間〜３ヶ月後」",
         "血液の巡りがよくなり、心臓や血管の働きが改善します。"},
        {{2024, 4, 1, 12, 0}, "回復のあゆみ「１〜９ヶ月後」", "せきが改善し、スタミナが戻ってきます。"},
        {{2025, 3, 1, 12, 0},
         "回復のあゆみ「１年後」",
         "肺の働きの改善がみられます（軽度・中等度の慢性閉塞性肺疾患のある人）。"},
    };
    round(initial.quit);
    for (const Step& s : steps) {
        auto health = [](const MilestoneRound& r) {
            const MilestoneNotice* found = nullptr;
            for (const MilestoneNotice& n : r.due)
                if (n.kind == MilestoneKind::Health) found = &n;
            return found ? std::optional<MilestoneNotice>(*found) : std::nullopt;
        };
        EXPECT_FALSE(health(round(MinutesAfter(s.at, -1)))) << s.summary;
        const std::optional<MilestoneNotice> said = health(round(s.at));
        ASSERT_TRUE(said) << s.summary;
        EXPECT_EQ(said->summary, s.summary);
        EXPECT_EQ(said->body, s.body);
        EXPECT_EQ(said->phrase, s.summary);
        // Never twice: the next round, a restart at the same minute, a clock set back.
        EXPECT_FALSE(health(round(s.at))) << s.summary;
        EXPECT_FALSE(health(round(MinutesAfter(s.at, -600)))) << s.summary;
    }
}

TEST(RoundLength, TheLeadingDigitAtItsOwnPowerOfTen) {
    struct Case {
        double mm;
        int64_t round;
    };
    const Case cases[] = {{0, 0},
                          {9'999.9, 0},
                          {10'000, 10'000},
                          {19'999, 10'000},
                          {20'000, 20'000},
                          {99'999, 90'000},
                          {100'000, 100'000},
                          {250'000, 200'000},
                          {1'000'000, 1'000'000},
                          {-5, 0},
                          // A hand-edited record of 2147483647 a day at that size: beyond what
                          // millimetres hold, held at the largest round length (no overflow).
                          {2.7e20, INT64_MAX / 1'000'000'000'000'000'000 * 1'000'000'000'000'000'000},
                          {1e300, INT64_MAX / 1'000'000'000'000'000'000 * 1'000'000'000'000'000'000}};
    for (const Case& c : cases) EXPECT_EQ(RoundLengthBelow(c.mm), c.round) << c.mm;
}

// When the next milestone comes: it must be the first minute at which a
// round has something to say.
struct Upcoming {
    const char* name;
    CalendarMoment quit;
    int32_t perDay;
    const char* mode;
    CalendarMoment now;
    MilestoneKind kind;
    const char* phrase;
    CalendarMoment at;
};
void PrintTo(const Upcoming& c, std::ostream* os) { *os << c.name; }

class NextMilestone : public ::testing::TestWithParam<Upcoming> {};

TEST_P(NextMilestone, IsTheFirstMinuteARoundSaysIt) {
    const Upcoming& c = GetParam();
    InitialSettings in;
    in.quit = c.quit;
    in.cigarettesPerDay = c.perDay;
    in.cigaretteSize = 85;
    OptionSettings op;
    op.statusMode = c.mode;
    const std::optional<UpcomingMilestone> next = NextMilestoneAfter(in, op, c.now);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->notice.kind, c.kind);
    EXPECT_EQ(next->notice.phrase, c.phrase);
    EXPECT_EQ(next->at, c.at);
    EXPECT_EQ(next->minutesFromNow, MinutesOf(c.at) - MinutesOf(c.now));
    // A round the minute before says nothing of that kind; one at it does.
    auto figures = [&](CalendarMoment m) {
        DisplayState d;
        OptionSettings o = op;
        RefreshDisplay(d, in, o, m, 0);
        return d.milestones;
    };
    std::vector<JournalEvent> journal =
        NextMilestones(std::vector<JournalEvent>{}, figures(c.now), c.now).lines;
    const CalendarMoment before = MinutesAfter(c.at, -1);
    for (const MilestoneNotice& n : NextMilestones(journal, figures(before), before).due)
        EXPECT_NE(n.kind, c.kind);
    bool said = false;
    for (const MilestoneNotice& n : NextMilestones(journal, figures(c.at), c.at).due)
        said |= n.kind == c.kind;
    EXPECT_TRUE(said);
}

INSTANTIATE_TEST_SUITE_P(Milestones, NextMilestone,
                         ::testing::Values(Upcoming{"the_next_title_on_day_one",
                                                    {2024, 3, 1, 12, 0},
                                                    20,
                                                    "ソルジャー",
                                                    {2024, 3, 1, 12, 30},
                                                    MilestoneKind::Title,
                                                    "ランクアップ『１等兵』",
                                                    {2024, 3, 2, 12, 0}},
                                           Upcoming{"a_length_before_the_next_title",
                                                    {2024, 3, 1, 12, 0},
                                                    200,
                                                    "ソルジャー",
                                                    {2024, 3, 12, 12, 30},
                                                    MilestoneKind::Length,
                                                    "吸わなかったタバコが２００ｍ",
                                                    {2024, 3, 13, 6, 22}},
                                           Upcoming{"a_duck_with_no_cigarettes_and_no_theme",
                                                    {2024, 3, 1, 12, 0},
                                                    0,
                                                    "なにか",
                                                    {2024, 3, 5, 0, 0},
                                                    MilestoneKind::Duck,
                                                    "アヒル副隊長のお祝い",
                                                    {2024, 3, 12, 12, 0}},
                                           Upcoming{"a_month_across_a_leap_february",
                                                    {2024, 1, 31, 9, 0},
                                                    0,
                                                    "なにか",
                                                    {2024, 2, 25, 0, 0},
                                                    MilestoneKind::Calendar,
                                                    "卒煙１ヶ月達成",
                                                    {2024, 3, 1, 0, 0}},
                                           Upcoming{"the_first_anniversary_on_the_journey",
                                                    {2024, 3, 1, 12, 0},
                                                    1,
                                                    "日本旅行",
                                                    {2025, 2, 28, 12, 30},
                                                    MilestoneKind::Title,
                                                    "ランクアップ『知床』",
                                                    {2025, 3, 1, 12, 0}},
                                           Upcoming{"a_month_in_the_fifth_year",
                                                    {2020, 3, 1, 12, 0},
                                                    0,
                                                    "ソルジャー",
                                                    {2024, 6, 1, 0, 0},
                                                    MilestoneKind::Calendar,
                                                    "卒煙５１ヶ月達成",
                                                    {2024, 6, 1, 12, 0}},
                                           Upcoming{"a_title_on_the_fifth_anniversary",
                                                    {2020, 3, 1, 12, 0},
                                                    0,
                                                    "ソルジャー",
                                                    {2025, 2, 15, 0, 0},
                                                    MilestoneKind::Title,
                                                    "ランクアップ『ルフィ』",
                                                    {2025, 3, 1, 12, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kemless

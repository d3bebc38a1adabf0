// The journal of one run: the record kept in it and summed as it is read,
// milestones never said twice in a run whatever a sync does to the file,
// and a step that fails said once and tried again.
#include "journal/journal_book.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "display/refresh.h"
#include "figures/calendar.h"
#include "records/data_folder.h"
#include "support/calendar.h"
#include "support/file_bytes.h"

namespace kemless {
namespace {

namespace fs = std::filesystem;

const CalendarMoment kQuit{2026, 11, 1, 9, 0};
const CalendarMoment kNow{2026, 12, 11, 10, 0};

TEST(JournalBook, WithoutAFolderTheRecordLastsThisRun) {
    JournalBook book;
    EXPECT_FALSE(book.keepsAcrossRuns());
    EXPECT_EQ(book.keeping(), RecordKeeping::ThisRun);
    EXPECT_TRUE(book.record({kNow, AttemptEventKind::UrgePassed, {}}));
    EXPECT_TRUE(book.record({kNow, AttemptEventKind::Slip, {}}));
    const AttemptSummary s = book.summary(kQuit, kNow);
    EXPECT_EQ(s.urgesAll, 1);
    EXPECT_EQ(s.slipsAll, 1);
}

class JournalBookOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kemless-book-XXXXXX";
        base_ = ::mkdtemp(tmpl);
        FileOutcome why;
        folder_ =
            DataFolder::Open(base_ + "/kemlessdata", DataFolder::Create::Yes, DataFolder::Trust::Own, why);
        ASSERT_TRUE(folder_.held()) << ProblemText(why);
        path_ = base_ + "/kemlessdata/journal.txt";
        book_.setProblemHandler([this](const FileOutcome& o) { said_.push_back(o); });
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(base_, ec);
    }
    FileOutcome Open(CalendarMoment now = kNow) { return book_.open(folder_.fd(), folder_.path(), now); }
    MilestoneFigures FiguresAt(CalendarMoment now) {
        InitialSettings in;
        in.quit = kQuit;
        in.cigarettesPerDay = 20;
        in.cigaretteSize = 85;
        OptionSettings op;
        DisplayState d;
        RefreshDisplay(d, in, op, now, 0);
        return d.milestones;
    }
    // Something that is no file of ours at the journal's name, and gone again.
    void Block() { ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0); }
    void Unblock() { fs::remove(path_); }

    std::string base_;
    std::string path_;
    DataFolder folder_;
    JournalBook book_;
    std::vector<FileOutcome> said_;
};

TEST_F(JournalBookOnDisk, APressIsCountedFromWhatWasWrittenAndAnotherCopysLinesToo) {
    Put(path_, "2026-12-01 10:00 urge\n");
    ASSERT_TRUE(Open());
    EXPECT_EQ(book_.keeping(), RecordKeeping::ForGood);
    EXPECT_EQ(book_.summary(kQuit, kNow).urgesAll, 1);
    EXPECT_TRUE(book_.record({kNow, AttemptEventKind::UrgePassed, {}}));
    EXPECT_EQ(book_.summary(kQuit, kNow).urgesAll, 2);
    // Another copy appends: seen at the next look.
    std::ofstream(path_, std::ios::app) << "2026-12-11 10:01 slip\n";
    book_.catchUp(kNow);
    EXPECT_EQ(book_.summary(kQuit, kNow).slipsAll, 1);
    EXPECT_EQ(Slurp(path_), "2026-12-01 10:00 urge\n2026-12-11 10:00 urge\n2026-12-11 10:01 slip\n");
}

TEST_F(JournalBookOnDisk, AMilestoneSaidInThisRunIsNeverSaidAgainWhateverASyncDoes) {
    ASSERT_TRUE(Open());
    const CalendarMoment day1 = MinutesAfter(kQuit, 1440);
    EXPECT_TRUE(book_.milestones(FiguresAt(day1), day1, true).due.empty());
    const std::string older = Slurp(path_);  // what the other computer still has
    const CalendarMoment day11 = MinutesAfter(kQuit, 11 * 1440);
    const MilestoneRound said = book_.milestones(FiguresAt(day11), day11, true);
    ASSERT_FALSE(said.due.empty());
    // The sync tool puts the older copy in its place, by rename.
    Put(base_ + "/kemlessdata/.syncthing.tmp", older);
    fs::rename(base_ + "/kemlessdata/.syncthing.tmp", path_);
    const CalendarMoment later = MinutesAfter(day11, 1);
    EXPECT_TRUE(book_.milestones(FiguresAt(later), later, true).due.empty());
    // And the file holds it again, so the next start says nothing either.
    JournalBook next;
    ASSERT_TRUE(next.open(folder_.fd(), folder_.path(), later));
    EXPECT_TRUE(next.milestones(FiguresAt(later), later, true).due.empty());
}

TEST_F(JournalBookOnDisk, ANoticeNobodyCouldSeeIsNotMarkedSaid) {
    ASSERT_TRUE(Open());
    const CalendarMoment day1 = MinutesAfter(kQuit, 1440);
    (void)book_.milestones(FiguresAt(day1), day1, true);
    const CalendarMoment day11 = MinutesAfter(kQuit, 11 * 1440);
    EXPECT_TRUE(book_.milestones(FiguresAt(day11), day11, false).due.empty());
    EXPECT_EQ(Slurp(path_).find("notice"), std::string::npos);
    // Once something can show it, it comes.
    EXPECT_FALSE(book_.milestones(FiguresAt(day11), day11, true).due.empty());
    EXPECT_TRUE(book_.milestones(FiguresAt(day11), day11, true).due.empty());
}

TEST_F(JournalBookOnDisk, AFailedStepIsSaidOncePerFailureAndTriedAgainWithTheNextEvent) {
    Put(path_, "2026-12-01 10:00 urge\n");
    ASSERT_TRUE(Open());
    const std::string kept = Slurp(path_);
    fs::remove(path_);
    Block();
    EXPECT_FALSE(book_.record({kNow, AttemptEventKind::UrgePassed, {}}));
    EXPECT_FALSE(book_.record({MinutesAfter(kNow, 1), AttemptEventKind::Slip, {}}));
    EXPECT_EQ(said_.size(), 1u) << "said once for this failure";
    // The disk freed, the file back: the next event writes what waited too.
    Unblock();
    Put(path_, kept);
    EXPECT_TRUE(book_.record({MinutesAfter(kNow, 2), AttemptEventKind::UrgePassed, {}}));
    EXPECT_EQ(Slurp(path_), kept + "2026-12-11 10:00 urge\n2026-12-11 10:01 slip\n2026-12-11 10:02 urge\n");
    EXPECT_EQ(book_.summary(kQuit, kNow).urgesAll, 3);
    EXPECT_EQ(book_.keeping(), RecordKeeping::ForGood);
    // A new failure is a new thing to say.
    fs::remove(path_);
    Block();
    EXPECT_FALSE(book_.record({MinutesAfter(kNow, 3), AttemptEventKind::UrgePassed, {}}));
    EXPECT_EQ(said_.size(), 2u);
}

TEST_F(JournalBookOnDisk, AJournalUnreadableAtStartIsCountedOnceItReadsAgain) {
    Block();
    EXPECT_FALSE(Open());
    EXPECT_EQ(book_.keeping(), RecordKeeping::Unavailable);
    book_.catchUp(kNow);
    EXPECT_TRUE(said_.empty()) << "the start says it, with its other problems";
    Unblock();
    Put(path_, "2026-12-01 10:00 urge\n");
    book_.catchUp(kNow);
    EXPECT_EQ(book_.keeping(), RecordKeeping::ForGood);
    EXPECT_EQ(book_.summary(kQuit, kNow).urgesAll, 1);
}

TEST_F(JournalBookOnDisk, AFutureEndAndImpossibleDatesCountNowhere) {
    Put(path_,
        "2024-02-30 10:00 urge\n"
        "2026-12-10 -1:-5 urge\n"
        "9999-01-01 00:00 attempt-end quit=2026-01-01T00:00\n"
        "2026-12-10 10:00 urge\n");
    ASSERT_TRUE(Open());
    const AttemptSummary s = book_.summary(kQuit, kNow);
    EXPECT_EQ(s.urgesAll, 1);
    EXPECT_EQ(s.urgesThisAttempt, 1);
    EXPECT_EQ(s.endedAttempts, 0);
    EXPECT_TRUE(s.longestIsCurrent);
    // Kept as they stand.
    EXPECT_TRUE(book_.record({kNow, AttemptEventKind::Slip, {}}));
    EXPECT_EQ(Slurp(path_).find("2024-02-30 10:00 urge\n"), 0u);
}

// The plan's notices, decided as the milestones are: an alarm and a reward
// said once in a run whatever a sync does to the file, nothing marked said
// while nobody could see it, and what the file says was said never again.
TEST_F(JournalBookOnDisk, ThePlansAlarmsAndRewardAreSaidOnceAndKept) {
    Plan plan;
    plan.triggers = {{"食後", "歯をみがく"}};
    PlanAlarm alarm;
    alarm.hour = 21;
    alarm.minute = 30;
    alarm.trigger = "食後";
    alarm.on = true;
    plan.alarms = {alarm};
    plan.reward = Reward{"本", 100};
    const RewardProgress reached = ComputeRewardProgress(plan, 500.0, kQuit);
    ASSERT_TRUE(reached.reached);
    const CalendarMoment at{2026, 12, 11, 21, 40};
    ASSERT_TRUE(Open(at));
    // Nobody could see it: nothing said, nothing kept.
    PlannedRound round = book_.plannedNotices(plan, reached, at, false);
    EXPECT_TRUE(round.alarms.empty());
    EXPECT_FALSE(round.rewardNotice);
    EXPECT_FALSE(fs::exists(path_));
    const std::string older = "2026-12-01 10:00 urge\n";
    Put(path_, older);
    round = book_.plannedNotices(plan, reached, at, true);
    ASSERT_EQ(round.alarms.size(), 1u);
    ASSERT_TRUE(round.alarmNotice);
    EXPECT_NE(round.alarmNotice->body.find(IfThenText(plan.triggers[0])), std::string::npos);
    ASSERT_TRUE(round.rewardNotice);
    EXPECT_EQ(Slurp(path_), older +
                                "2026-12-11 21:40 notice alarm slot=1 day=2026-12-11\n"
                                "2026-12-11 21:40 notice reward name=本 price=100 quit=2026-11-01T09:00\n");
    // A sync puts the older copy back: not said again, and written again.
    Put(base_ + "/kemlessdata/.sync.tmp", older);
    fs::rename(base_ + "/kemlessdata/.sync.tmp", path_);
    const CalendarMoment later{2026, 12, 11, 21, 41};
    round = book_.plannedNotices(plan, reached, later, true);
    EXPECT_TRUE(round.alarms.empty());
    EXPECT_FALSE(round.rewardNotice);
    JournalBook next;
    ASSERT_TRUE(next.open(folder_.fd(), folder_.path(), later));
    round = next.plannedNotices(plan, reached, later, true);
    EXPECT_TRUE(round.alarms.empty());
    EXPECT_FALSE(round.rewardNotice);
    // The next day the alarm comes again; the reward does not.
    const CalendarMoment tomorrow{2026, 12, 12, 21, 30};
    round = next.plannedNotices(plan, reached, tomorrow, true);
    EXPECT_EQ(round.alarms.size(), 1u);
    EXPECT_FALSE(round.rewardNotice);
}

// The triggers and hours of the urges and slips, as they are read and recorded.
TEST_F(JournalBookOnDisk, TheHardMomentsFollowTheJournal) {
    Put(path_, "2026-12-10 08:00 urge trigger=食後\n2026-12-10 08:30 slip trigger=食後\n");
    ASSERT_TRUE(Open());
    EXPECT_TRUE(book_.record({{2026, 12, 11, 9, 0}, AttemptEventKind::UrgePassed, {}, "コーヒー"}));
    const HardMoments h = book_.hardMoments(kNow);
    ASSERT_EQ(h.triggers.size(), 2u);
    EXPECT_EQ(h.triggers[0], (TriggerCount{"食後", 2}));
    EXPECT_EQ(h.triggers[1], (TriggerCount{"コーヒー", 1}));
    EXPECT_EQ(h.perHour[8], 2);
    EXPECT_EQ(h.perHour[9], 1);
    // Without a folder, the same from what this run recorded.
    JournalBook alone;
    EXPECT_TRUE(alone.record({{2026, 12, 11, 9, 0}, AttemptEventKind::Slip, {}, "お酒"}));
    EXPECT_EQ(alone.hardMoments(kNow).triggers, (std::vector<TriggerCount>{{"お酒", 1}}));
}

}  // namespace
}  // namespace kemless

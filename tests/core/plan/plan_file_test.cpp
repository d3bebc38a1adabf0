// plan.ini: read and written back with nothing lost (damaged lines and keys
// of a later version kept), the limits held on both ways, and the file's
// safety: one that cannot be read is never written.
#include "plan/plan_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "records/data_folder.h"
#include "support/file_bytes.h"

namespace kemless {
namespace {

namespace fs = std::filesystem;

Plan SamplePlan() {
    Plan p;
    p.reasons = {"家族のため", "走れるように"};
    p.triggers = {{"食後", "歯をみがく"}, {"会議のあと", ""}};
    PlanAlarm evening;
    evening.hour = 21;
    evening.minute = 30;
    evening.days = {false, true, true, true, true, true, false};
    evening.trigger = "食後";
    evening.on = true;
    p.alarms = {evening, PlanAlarm{}};
    p.reward = Reward{"ロードバイク", 120000};
    p.reached = {{{"腕時計", 30000}, {2026, 11, 1, 9, 0}}};
    return p;
}

constexpr char kSampleFile[] =
    "reason=家族のため\n"
    "reason=走れるように\n"
    "trigger=食後 歯をみがく\n"
    "trigger=会議のあと \\e\n"
    "alarm=21:30 月火水木金 食後 on\n"
    "alarm=21:00 日月火水木金土 \\e off\n"
    "reward=ロードバイク 120000\n"
    "reached=腕時計 30000 2026-11-01T09:00\n";

TEST(PlanFileFormat, APlanIsWrittenAsTheFileHoldsItAndReadsBack) {
    EXPECT_EQ(WritePlan(SamplePlan()), kSampleFile);
    EXPECT_EQ(ParsePlan(kSampleFile), SamplePlan());
    EXPECT_EQ(ParsePlan(""), Plan());
}

// Texts a user may type: blanks, backslashes, "=", a line break pasted in.
TEST(PlanFileFormat, AnyTextReadsBack) {
    Plan p;
    p.reasons = {"子ども と 走る", "a\\b=c", "＝全角　空白"};
    p.triggers = {{"人が 吸っているとき", "その場を\\離れる"}};
    p.reward = Reward{"旅行 = 温泉", 1};
    const std::string bytes = WritePlan(p);
    EXPECT_EQ(ParsePlan(bytes), p) << bytes;
}

// A hand-edited file: what reads is taken, everything else is kept as it
// stands and written back after the plan, so a save loses nothing.
TEST(PlanFileFormat, DamagedLinesAndUnknownKeysAreKeptThroughASave) {
    const std::string file =
        "reason=家族のため\r\n"
        "mood=calm\n"              // a key of a later version
        "alarm=25:00 月 \\e on\n"  // no such time
        "\n"
        "trigger=食後 歯を みがく\n"  // three words: not a trigger line
        "reason=\xff\xfe\n"           // not UTF-8
        "reward=ロードバイク -5\n"    // no price
        "just some words\n"
        "trigger=コーヒー 水を飲む\n";
    const Plan p = ParsePlan(file);
    EXPECT_EQ(p.reasons, std::vector<std::string>{"家族のため"});
    EXPECT_EQ(p.triggers, (std::vector<TriggerPlan>{{"コーヒー", "水を飲む"}}));
    EXPECT_TRUE(p.alarms.empty());
    EXPECT_FALSE(p.reward);
    const std::vector<std::string> kept{
        "mood=calm",       "alarm=25:00 月 \\e on",  "trigger=食後 歯を みがく",
        "reason=\xff\xfe", "reward=ロードバイク -5", "just some words"};
    EXPECT_EQ(p.kept, kept);

    const std::string written = WritePlan(p);
    EXPECT_EQ(written,
              "reason=家族のため\n"
              "trigger=コーヒー 水を飲む\n"
              "mood=calm\n"
              "alarm=25:00 月 \\e on\n"
              "trigger=食後 歯を みがく\n"
              "reason=\xff\xfe\n"
              "reward=ロードバイク -5\n"
              "just some words\n");
    // Written once more, nothing moves.
    EXPECT_EQ(WritePlan(ParsePlan(written)), written);
}

struct LimitCase {
    const char* name;
    bool afterAFullPlan;  // the line comes after a plan at every limit, or alone
    std::string line;     // ends with one line beyond or outside a limit
};
void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }
class PlanFileLimits : public ::testing::TestWithParam<LimitCase> {};

// A plan at every limit reads whole; a line more, or one outside a limit,
// is kept as it stands, not taken.
TEST_P(PlanFileLimits, ALineBeyondALimitIsKeptNotTaken) {
    const LimitCase& c = GetParam();
    std::string full;
    for (int i = 0; i < kMaxReasons; ++i) full += "reason=理由" + std::to_string(i) + "\n";
    for (int i = 0; i < kMaxAlarms; ++i) full += "alarm=0" + std::to_string(i) + ":00 月 \\e off\n";
    full += "reward=ロードバイク 99999999\n";
    full += "reason=" + std::string(kMaxReasonLength - 1, 'a') + "\n";
    // Lines before the last one in `line` set the stage.
    const size_t last = c.line.rfind('\n') == std::string::npos ? 0 : c.line.rfind('\n') + 1;
    const std::string stage = (c.afterAFullPlan ? full : std::string()) + c.line.substr(0, last);
    const Plan before = ParsePlan(stage);
    if (c.afterAFullPlan) {
        ASSERT_EQ(before.reasons.size(), size_t{kMaxReasons});
        ASSERT_EQ(before.alarms.size(), size_t{kMaxAlarms});
        ASSERT_EQ(before.reward, (Reward{"ロードバイク", kMaxRewardPrice}));
        ASSERT_EQ(before.kept.size(), 1u) << "the eleventh reason";
    }
    Plan p = ParsePlan((c.afterAFullPlan ? full : std::string()) + c.line + "\n");
    ASSERT_FALSE(p.kept.empty());
    EXPECT_EQ(p.kept.back(), c.line.substr(last));
    p.kept.pop_back();
    EXPECT_EQ(p, before);
}

INSTANTIATE_TEST_SUITE_P(
    Plan, PlanFileLimits,
    ::testing::Values(
        LimitCase{"an_eleventh_reason", true, "reason=もうひとつ"},
        LimitCase{"a_sixth_alarm", true, "alarm=23:00 土 \\e on"},
        LimitCase{"a_second_reward", true, "reward=旅行 5000"},
        LimitCase{"a_reason_too_long", false, "reason=" + std::string(kMaxReasonLength + 1, 'a')},
        LimitCase{"an_empty_reason", false, "reason=\\e"},
        LimitCase{"a_trigger_too_long", false, "trigger=" + std::string(kMaxTriggerLength + 1, 'x') + " \\e"},
        LimitCase{"a_trigger_twice", false, "trigger=食後 \\e\ntrigger=食後 歯をみがく"},
        LimitCase{"an_action_too_long", false, "trigger=食後 " + std::string(kMaxActionLength + 1, 'x')},
        LimitCase{"a_reward_name_too_long", false,
                  "reward=" + std::string(kMaxRewardNameLength + 1, 'a') + " 1"},
        LimitCase{"a_price_too_high", false, "reward=車 100000000"},
        LimitCase{"a_reached_reward_of_no_price", false, "reached=車 0 2026-11-01T09:00"},
        LimitCase{"a_price_below_nothing", false, "reward=車 -1"},
        LimitCase{"a_reached_reward_on_no_day", false, "reached=車 10 2026-02-30T09:00"},
        LimitCase{"a_day_twice", false, "alarm=07:00 月月 \\e on"},
        LimitCase{"a_minute_past_the_hour", false, "alarm=07:60 月 \\e on"},
        LimitCase{"an_alarm_neither_on_nor_off", false, "alarm=07:00 月 \\e yes"},
        LimitCase{"a_broken_escape", false, "reason=家族の\\zため"}),
    [](const auto& info) { return std::string(info.param.name); });

// What the window hands back is held to the limits before it is written:
// trimmed, cut without splitting a character, the empty dropped.
TEST(PlanLimits, WhatTheWindowGivesIsKeptWithinTheLimits) {
    Plan p;
    for (int i = 0; i < kMaxReasons + 2; ++i)
        p.reasons.push_back(i == 1 ? "  　" : "  理由\n" + std::to_string(i) + " ");
    p.reasons[0] = std::string(50, 'a');
    p.triggers = {{"食後", "歯をみがく"}, {" 食後 ", "二度目"}, {"", "名前なし"}};
    PlanAlarm a;
    a.hour = 30;
    a.minute = -4;
    a.trigger = "お酒";  // not chosen
    p.alarms.assign(kMaxAlarms + 1, a);
    p.reward = Reward{"あ" + std::string(40, 'b'), kMaxRewardPrice + 1};
    p.reached = {{{"", 100}, {2026, 11, 1, 9, 0}}, {{"値段なし", 0}, {2026, 11, 1, 9, 0}}};

    const Plan limited = LimitPlan(p);
    ASSERT_EQ(limited.reasons.size(), size_t{kMaxReasons});
    EXPECT_EQ(limited.reasons[0], std::string(kMaxReasonLength, 'a'));
    EXPECT_EQ(limited.reasons[1], "　") << "a full-width blank is the user's text";
    EXPECT_EQ(limited.reasons[2], "理由 2");
    EXPECT_EQ(limited.triggers, (std::vector<TriggerPlan>{{"食後", "歯をみがく"}}));
    ASSERT_EQ(limited.alarms.size(), size_t{kMaxAlarms});
    EXPECT_EQ(limited.alarms[0].hour, 23);
    EXPECT_EQ(limited.alarms[0].minute, 0);
    EXPECT_EQ(limited.alarms[0].trigger, "");
    ASSERT_TRUE(limited.reward);
    EXPECT_EQ(limited.reward->name, "あ" + std::string(kMaxRewardNameLength - 1, 'b'));
    EXPECT_EQ(limited.reward->price, kMaxRewardPrice);
    EXPECT_TRUE(limited.reached.empty());
    // What is written is what reads back.
    EXPECT_EQ(ParsePlan(WritePlan(p)), limited);
    // Named and not priced yet: kept while the user decides.
    p.reward->price = 0;
    EXPECT_EQ(LimitPlan(p).reward, (Reward{limited.reward->name, 0}));
    EXPECT_EQ(ParsePlan(WritePlan(p)).reward, (Reward{limited.reward->name, 0}));
}

TEST(PlanTexts, IfThenLinesAndDays) {
    EXPECT_EQ(IfThenText({"食後", "歯をみがく"}), "食後に吸いたくなったら → 歯をみがく");
    EXPECT_EQ(DaysText({true, true, true, true, true, true, true}), "毎日");
    EXPECT_EQ(DaysText({true, false, false, false, false, false, true}), "日土");
    EXPECT_EQ(DaysText({}), "なし");
    EXPECT_TRUE(IsCommonTrigger("人が吸っているとき"));
    EXPECT_FALSE(IsCommonTrigger("会議のあと"));
}

class PlanFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kemless-plan-XXXXXX";
        base_ = ::mkdtemp(tmpl);
        FileOutcome why;
        folder_ =
            DataFolder::Open(base_ + "/kemlessdata", DataFolder::Create::Yes, DataFolder::Trust::Own, why);
        ASSERT_TRUE(folder_.held()) << ProblemText(why);
        path_ = base_ + "/kemlessdata/plan.ini";
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, ec);
        fs::remove_all(base_, ec);
    }
    FileOutcome Open() { return file_.open(folder_.fd(), folder_.path()); }
    void Put(const std::string& bytes) { kemless::Put(path_, bytes); }

    std::string base_, path_;
    DataFolder folder_;
    PlanFile file_;
};

TEST_F(PlanFileOnDisk, AFolderWithoutAPlanWorksAndGetsOneAtTheFirstSave) {
    EXPECT_TRUE(Open());
    EXPECT_TRUE(file_.writable());
    EXPECT_EQ(file_.plan(), Plan());
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_TRUE(file_.save(SamplePlan()));
    EXPECT_EQ(Slurp(path_), kSampleFile);
    PlanFile again;
    EXPECT_TRUE(again.open(folder_.fd(), folder_.path()));
    EXPECT_EQ(again.plan(), SamplePlan());
}

// The window edits the plan it was given; the lines only the file holds
// survive whatever it hands back.
TEST_F(PlanFileOnDisk, ASaveKeepsTheLinesTheFileKept) {
    Put("future=key\nreason=家族のため\n");
    ASSERT_TRUE(Open());
    Plan edited;
    edited.reasons = {"走れるように"};
    EXPECT_TRUE(file_.save(edited));
    EXPECT_EQ(Slurp(path_), "reason=走れるように\nfuture=key\n");
    EXPECT_EQ(file_.plan().reasons, edited.reasons);
}

TEST_F(PlanFileOnDisk, AFileThatCannotBeReadIsNeverWritten) {
    fs::create_directory(path_);
    const FileOutcome opened = Open();
    EXPECT_FALSE(opened);
    EXPECT_EQ(opened.path, path_);
    EXPECT_FALSE(file_.writable());
    const FileOutcome saved = file_.save(SamplePlan());
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.path, path_);
    EXPECT_TRUE(fs::is_directory(path_));
}

TEST_F(PlanFileOnDisk, AFileTooLargeForAPlanIsNeverWritten) {
    Put(std::string(300 * 1024, 'x'));
    EXPECT_FALSE(Open());
    EXPECT_FALSE(file_.save(SamplePlan()));
    EXPECT_EQ(fs::file_size(path_), 300u * 1024);
}

TEST_F(PlanFileOnDisk, AFileWithoutReadPermissionIsNeverWritten) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    Put(kSampleFile);
    fs::permissions(path_, fs::perms::owner_write);
    EXPECT_FALSE(Open());
    EXPECT_FALSE(file_.save(Plan()));
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Slurp(path_), kSampleFile);
}

TEST(PlanFileWithoutFolder, NothingIsReadOrWritten) {
    PlanFile file;
    EXPECT_FALSE(file.open(-1, "/nowhere/kemlessdata"));
    EXPECT_FALSE(file.writable());
    EXPECT_FALSE(file.save(SamplePlan()));
}

}  // namespace
}  // namespace kemless

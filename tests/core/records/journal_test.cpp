// The journal beside the record: its lines written and read back, damaged
// lines skipped and kept, kinds this version does not know kept, the notice
// lines compacted; and the file itself, which is only ever a regular file
// of the user's, appended whole or not at all, and never written when it
// could not be read.
#include "records/journal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "records/data_folder.h"
#include "records/journal_file.h"
#include "support/file_bytes.h"

namespace kemless {
namespace {

namespace fs = std::filesystem;

JournalEvent Event(CalendarMoment at, std::string kind, std::vector<std::string> words,
                   std::vector<std::pair<std::string, std::string>> fields = {}) {
    return {at, std::move(kind), std::move(words), std::move(fields)};
}

TEST(JournalLine, ReadsAsTheExampleSays) {
    const auto e = ParseJournalLine("2014-03-05 08:30 notice title 大将");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->at, (CalendarMoment{2014, 3, 5, 8, 30}));
    EXPECT_EQ(e->kind, "notice");
    EXPECT_EQ(e->words, (std::vector<std::string>{"title", "大将"}));
    EXPECT_TRUE(e->fields.empty());
    EXPECT_EQ(FormatJournalLine(*e), "2014-03-05 08:30 notice title 大将\n");
}

TEST(JournalLine, EveryTextReadsBack) {
    // Blanks, "=", backslashes, line breaks, control characters and empty
    // words: each word comes back as it went in.
    const std::vector<JournalEvent> events = {
        Event({2026, 12, 11, 10, 0}, "notice", {"title", "大将", "16"},
              {{"mode", "ソルジャー"}, {"quit", "2026-11-01T09:00"}}),
        Event({2026, 1, 2, 3, 4}, "urge", {"a b", "x=y", "back\\slash", "two\nlines\r\ttab", "", "\x01\x7F"},
              {{"note", "a = b"}, {"empty", ""}}),
        Event({1, 1, 1, 0, 0}, "attempt", {}),
        Event({12345, 12, 31, 23, 59}, "future-kind2", {"AT&T Corporate Center"}),
    };
    for (const JournalEvent& e : events) {
        const std::string line = FormatJournalLine(e);
        ASSERT_EQ(line.find('\n'), line.size() - 1) << line;
        const auto back = ParseJournalLine(line.substr(0, line.size() - 1));
        ASSERT_TRUE(back) << line;
        EXPECT_EQ(*back, e) << line;
    }
    EXPECT_EQ(events[0].field("mode"), "ソルジャー");
    EXPECT_FALSE(events[0].field("nothing"));
}

TEST(JournalLine, LeapDaysAndTheCalendarsEdgesRead) {
    for (const char* line :
         {"2024-02-29 10:00 urge", "2000-02-29 23:59 urge", "0001-01-01 00:00 urge", "2026-12-31 23:59 urge"})
        EXPECT_TRUE(ParseJournalLine(line)) << line;
    EXPECT_FALSE(ParseJournalLine("1900-02-29 10:00 urge")) << "1900 was no leap year";
}

TEST(JournalLine, ALineEndFromAnotherSystemIsAllowed) {
    EXPECT_TRUE(ParseJournalLine("2026-12-11 10:00 notice month 1 quit=2026-11-01T09:00\r"));
}

TEST(JournalLine, DamagedLinesDoNotRead) {
    for (const char* line : {
             "",
             "garbage",
             "2026-12-11 10:00",                  // no kind
             "2026-12-11 10:00 Notice x",         // not a kind word
             "2026-13-11 10:00 notice x",         // month 13
             "2026-12-00 10:00 notice x",         // day 0
             "2026-12-11 24:00 notice x",         // hour 24
             "2026-12-11 10:60 notice x",         // minute 60
             "26-12-11 10:00 notice x",           // a short year
             "2026-12-11 10:00 notice  x",        // two blanks
             "2026-12-11 10:00 notice x ",        // a blank at the end
             "2026-12-11 10:00 notice a\\",       // a cut escape
             "2026-12-11 10:00 notice a\\z",      // an unknown escape
             "2026-12-11 10:00 notice a\\x4",     // a cut byte
             "2026-12-11 10:00 notice k=v word",  // a word after a field
             "2026-12-11 10:00 notice K=v",       // not a key
             "2026-12-11 10:00 notice caf\xe9",   // not UTF-8
             "2026-12-11 10:00 notice a\tb",      // a raw tab
             // No moment at all: days the month does not have, year 0, signs.
             "2024-02-30 10:00 urge",
             "2024-02-31 10:00 urge",
             "2023-02-29 10:00 urge",
             "2026-04-31 10:00 urge",
             "0000-01-01 10:00 urge",
             "2026-12-10 -1:-5 urge",
             "2026-12-+1 10:00 urge",
             "-026-12-11 10:00 urge",
         }) {
        EXPECT_FALSE(ParseJournalLine(line)) << line;
    }
    EXPECT_FALSE(ParseJournalLine(std::string_view("2026-12-11 10:00 notice a\0b", 27)));
}

TEST(Journal, ADamagedLineIsSkippedByTheReaderAndKeptByCompaction) {
    const std::string bytes =
        "2026-11-02 09:00 seen month 0 quit=2026-11-01T09:00\n"
        "\xff\xfe garbage\n"
        "2026-12-01 09:00 notice month 1 quit=2026-11-01T09:00\n"
        "2026-12-01 09:05 urge\n"
        "2026-12-02 09:0";  // cut by a crash
    const std::vector<JournalEvent> events = ParseJournal(bytes);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, "seen");
    EXPECT_EQ(events[1].words, (std::vector<std::string>{"month", "1"}));
    EXPECT_EQ(events[2].kind, "urge");
    EXPECT_EQ(CompactJournal(bytes),
              "\xff\xfe garbage\n"
              "2026-12-01 09:00 notice month 1 quit=2026-11-01T09:00\n"
              "2026-12-01 09:05 urge\n"
              "2026-12-02 09:0\n");
}

TEST(Journal, CompactionKeepsTheLastNoticeOfEachMilestoneAndRecordAndEverythingElse) {
    const std::string bytes =
        "2026-11-01 09:00 attempt-start quit=2026-11-01T09:00\n"
        "2026-11-01 09:00 seen title ２等兵 0 mode=ソルジャー quit=2026-11-01T09:00\n"
        "2026-11-02 09:00 notice title １等兵 1 mode=ソルジャー quit=2026-11-01T09:00\n"
        "2026-11-02 09:30 notice title 陽子 1 mode=コスモ quit=2026-11-01T09:00\n"
        "2026-11-02 10:00 urge\n"
        "2026-11-03 09:00 notice title 上等兵 2 quit=2026-11-01T09:00 mode=ソルジャー\n"
        "2026-11-03 09:00 notice length 10000 per=20 size=85 quit=2026-11-01T09:00\n"
        "2026-11-04 09:00 notice title 大将 16 mode=ソルジャー quit=2025-01-01T00:00\n"
        "2026-11-05 09:00 slip\n"
        "2026-11-05 09:10 urge\n"
        "2026-11-06 09:00 notice health 3 quit=2026-11-01T09:00\n"
        "2026-11-07 09:00 notice health 4 quit=2026-11-01T09:00\n";
    EXPECT_EQ(CompactJournal(bytes),
              "2026-11-01 09:00 attempt-start quit=2026-11-01T09:00\n"
              "2026-11-02 09:30 notice title 陽子 1 mode=コスモ quit=2026-11-01T09:00\n"
              "2026-11-02 10:00 urge\n"
              "2026-11-03 09:00 notice title 上等兵 2 quit=2026-11-01T09:00 mode=ソルジャー\n"
              "2026-11-03 09:00 notice length 10000 per=20 size=85 quit=2026-11-01T09:00\n"
              "2026-11-04 09:00 notice title 大将 16 mode=ソルジャー quit=2025-01-01T00:00\n"
              "2026-11-05 09:00 slip\n"
              "2026-11-05 09:10 urge\n"
              "2026-11-07 09:00 notice health 4 quit=2026-11-01T09:00\n");
    // Compacting again changes nothing.
    EXPECT_EQ(CompactJournal(CompactJournal(bytes)), CompactJournal(bytes));
}

TEST(Journal, CompactionKeepsTheHighestOfAMilestoneWhateverTheOrder) {
    // A union merge of two computers' journals, in either order.
    const std::string low = "2026-12-01 20:00 notice title 兵長 9 mode=ソルジャー quit=2026-11-01T09:00\n";
    const std::string high = "2026-12-02 20:00 notice title 軍曹 10 mode=ソルジャー quit=2026-11-01T09:00\n";
    const std::string urge = "2026-12-01 21:00 urge\n";
    for (const std::string& merged : {low + urge + high, high + urge + low, urge + high + low + high}) {
        const std::string compact = CompactJournal(merged);
        EXPECT_NE(compact.find(high), std::string::npos) << merged;
        EXPECT_EQ(compact.find(low), std::string::npos) << merged;
        EXPECT_NE(compact.find(urge), std::string::npos) << merged;
        EXPECT_EQ(compact.size(), high.size() + urge.size()) << merged;
    }
}

// What a reader is told, as lines.
class Collected final : public JournalReader {
public:
    void restart() override {
        text.clear();
        ++restarts;
    }
    void line(const JournalEvent& e) override { text += FormatJournalLine(e); }
    std::string text;
    int restarts = 0;
};

// The file, in a held data folder.
class JournalOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kemless-journal-XXXXXX";
        base_ = ::mkdtemp(tmpl);
        FileOutcome why;
        folder_ =
            DataFolder::Open(base_ + "/kemlessdata", DataFolder::Create::Yes, DataFolder::Trust::Own, why);
        ASSERT_TRUE(folder_.held()) << ProblemText(why);
        path_ = base_ + "/kemlessdata/" + kJournalName;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(base_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(base_, ec);
    }
    JournalFile& File() {
        if (!file_) file_ = std::make_unique<JournalFile>(folder_.fd(), folder_.path());
        return *file_;
    }
    // One step that appends `lines` and remembers what was read before it.
    FileOutcome Append(const std::string& lines, bool* appended = nullptr) {
        bool called = false;
        const FileOutcome outcome = File().append(told_, [&] {
            called = true;
            seen_ = told_.text;
            return lines;
        });
        if (appended != nullptr) *appended = outcome && called && !lines.empty();
        return outcome;
    }

    std::string base_;
    std::string path_;
    DataFolder folder_;
    std::unique_ptr<JournalFile> file_;
    Collected told_;
    std::string seen_;
};

const char kLine[] = "2026-12-11 10:00 notice month 1 quit=2026-11-01T09:00\n";
const char kOther[] = "2026-12-11 10:01 urge\n";

TEST_F(JournalOnDisk, MadeAtTheFirstEventOnlyPrivateAndAppendedAfterwards) {
    bool appended = true;
    ASSERT_TRUE(Append("", &appended));
    EXPECT_FALSE(appended);
    EXPECT_FALSE(fs::exists(path_)) << "nothing to say leaves no file";

    ASSERT_TRUE(Append(kLine, &appended));
    EXPECT_TRUE(appended);
    EXPECT_EQ(Slurp(path_), kLine);
    EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_TRUE(Append(kOther));
    EXPECT_EQ(seen_, kLine) << "the step decides on the journal as it stands";
    EXPECT_EQ(Slurp(path_), std::string(kLine) + kOther);
    EXPECT_EQ(told_.text, std::string(kLine) + kOther) << "its own lines are told as written";
}

TEST_F(JournalOnDisk, ALastLineWithoutItsEndKeepsALineOfItsOwn) {
    Put(path_, "2026-12-11 09:0");
    ASSERT_TRUE(Append(kLine));
    EXPECT_EQ(Slurp(path_), std::string("2026-12-11 09:0\n") + kLine);
    EXPECT_EQ(ParseJournal(Slurp(path_)).size(), 1u);
}

TEST_F(JournalOnDisk, TheUsersOwnLinkIsFollowedAndStays) {
    fs::create_directory(base_ + "/sync");
    Put(base_ + "/sync/journal.txt", kLine);
    fs::create_symlink("../sync/journal.txt", path_);
    ASSERT_TRUE(Append(kOther));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(Slurp(base_ + "/sync/journal.txt"), std::string(kLine) + kOther);
}

// What may stand at the journal's name: read it or not, it is never written.
enum class Who { Anyone, Root, NotRoot };
struct Standing {
    const char* name;
    std::function<void(const std::string& path)> make;
    FileProblem problem;
    Who who = Who::Anyone;
};
void PrintTo(const Standing& c, std::ostream* os) { *os << c.name; }

class WhatStandsAtTheJournal : public JournalOnDisk, public ::testing::WithParamInterface<Standing> {};

TEST_P(WhatStandsAtTheJournal, IsNeverWritten) {
    const Standing& c = GetParam();
    if (c.who == Who::Root && ::geteuid() != 0)
        GTEST_SKIP() << "only root can give a link to another user here";
    if (c.who == Who::NotRoot && ::geteuid() == 0)
        GTEST_SKIP() << "root reads a file of any mode all the same";
    const std::string victim = base_ + "/notes.txt";
    Put(victim, "my notes\n");
    c.make(path_);
    struct stat before {};
    ASSERT_EQ(::lstat(path_.c_str(), &before), 0);
    bool called = false;
    const FileOutcome outcome = File().append(told_, [&called] {
        called = true;
        return std::string(kLine);
    });
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.problem, c.problem) << ProblemText(outcome);
    EXPECT_FALSE(called) << "nothing is decided on what could not be read";
    struct stat after {};
    ASSERT_EQ(::lstat(path_.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtime, before.st_mtime);
    EXPECT_EQ(Slurp(victim), "my notes\n");
    JournalFile again(folder_.fd(), folder_.path());
    Collected read;
    EXPECT_FALSE(again.catchUp(read));
    EXPECT_EQ(read.text, "");
}

INSTANTIATE_TEST_SUITE_P(
    Journal, WhatStandsAtTheJournal,
    ::testing::Values(
        Standing{"a_fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
                 FileProblem::NotAFile},
        Standing{"a_folder", [](const std::string& p) { fs::create_directory(p); }, FileProblem::NotAFile},
        Standing{"a_link_to_dev_zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
                 FileProblem::NotAFile},
        Standing{"a_link_to_itself", [](const std::string& p) { fs::create_symlink("journal.txt", p); },
                 FileProblem::LinkLoop},
        Standing{"a_file_it_may_not_read",
                 [](const std::string& p) {
                     Put(p, kLine);
                     ::chmod(p.c_str(), 0200);
                 },
                 FileProblem::NoPermission, Who::NotRoot},
        Standing{"a_link_another_user_planted",
                 [](const std::string& p) {
                     fs::create_symlink(fs::path(p).parent_path().parent_path() / "notes.txt", p);
                     ASSERT_EQ(::lchown(p.c_str(), 65534, 65534), 0);
                 },
                 FileProblem::ForeignLink, Who::Root},
        Standing{"a_file_far_beyond_a_journal",
                 [](const std::string& p) {
                     Put(p, kLine);
                     fs::resize_file(p, std::uintmax_t{100} << 20);  // sparse: no disk used
                 },
                 FileProblem::TooLarge}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(JournalOnDisk, AnAppendThatDoesNotFitIsTakenBackWhole) {
    Put(path_, kLine);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    // Room for a part of the new line only: the write is cut short.
    rlimit tight{sizeof kLine + 5, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const FileOutcome outcome = Append(kOther);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(outcome.problem, FileProblem::NoSpace);
    EXPECT_EQ(Slurp(path_), kLine) << "no cut line is left";
}

TEST_F(JournalOnDisk, PastItsBoundItIsCompactedKeepingWhatMustBeKept) {
    // A long life of notices, some urges among them, a damaged line and a
    // kind this version does not know.
    std::string bytes = "2026-01-01 00:00 urge\n\xff damaged\n2026-01-01 00:00 mystery a b=c\n";
    for (int i = 0; static_cast<off_t>(bytes.size()) < kJournalCompactAbove; ++i) {
        JournalEvent e = Event({2026, 1, 1, 0, 0}, "notice", {"length", std::to_string(10000 * (i + 1))},
                               {{"per", "20"}, {"size", "85"}, {"quit", "2026-01-01T00:00"}});
        bytes += FormatJournalLine(e);
        if (i % 100 == 0) bytes += FormatJournalLine(Event({2026, 1, 2, 0, i / 100}, "slip", {}));
    }
    Put(path_, bytes);
    ::chmod(path_.c_str(), 0640);
    const std::string last =
        FormatJournalLine(Event({2026, 12, 11, 10, 0}, "notice", {"length", "999999999"},
                                {{"per", "20"}, {"size", "85"}, {"quit", "2026-01-01T00:00"}}));
    ASSERT_TRUE(Append(last));
    const std::string after = Slurp(path_);
    EXPECT_LT(after.size(), 4096u);
    // Compacted to make room, then the new line appended.
    EXPECT_EQ(after, CompactJournal(bytes) + last);
    EXPECT_NE(after.find("2026-01-01 00:00 urge\n"), std::string::npos);
    EXPECT_NE(after.find("\xff damaged\n"), std::string::npos);
    EXPECT_NE(after.find("mystery a b=c"), std::string::npos);
    EXPECT_NE(after.find(last), std::string::npos);
    EXPECT_NE(after.find("2026-01-02 00:00 slip\n"), std::string::npos);
    // Nothing else is left beside it, and its mode is kept.
    EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(base_ + "/kemlessdata")) ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(JournalOnDisk, OnlyWhatWasAppendedIsReadAfterTheFirstLook) {
    Put(path_, kLine);
    ASSERT_TRUE(File().catchUp(told_));
    EXPECT_EQ(told_.text, kLine);
    // Another copy appends; a line still being written waits for its end.
    Put(path_, std::string(kLine) + kOther + "2026-12-11 10:02 ur");
    ASSERT_TRUE(File().catchUp(told_));
    EXPECT_EQ(told_.text, std::string(kLine) + kOther);
    EXPECT_EQ(told_.restarts, 1) << "read whole once";
    Put(path_, std::string(kLine) + kOther + "2026-12-11 10:02 urge\n");
    ASSERT_TRUE(File().catchUp(told_));
    EXPECT_EQ(told_.text, std::string(kLine) + kOther + "2026-12-11 10:02 urge\n");
    EXPECT_EQ(told_.restarts, 1);
}

TEST_F(JournalOnDisk, AJournalReplacedOrShortenedIsReadAgainFromItsStart) {
    Put(path_, std::string(kLine) + kOther);
    ASSERT_TRUE(File().catchUp(told_));
    // A sync tool puts the other computer's older copy in its place.
    Put(base_ + "/kemlessdata/.sync-tmp", kOther);
    fs::rename(base_ + "/kemlessdata/.sync-tmp", path_);
    ASSERT_TRUE(File().catchUp(told_));
    EXPECT_EQ(told_.restarts, 2);
    EXPECT_EQ(told_.text, kOther);
    // Shortened in place.
    { std::ofstream out(path_, std::ios::binary | std::ios::trunc); }
    ASSERT_TRUE(File().catchUp(told_));
    EXPECT_EQ(told_.restarts, 3);
    EXPECT_EQ(told_.text, "");
}

TEST_F(JournalOnDisk, ArchivesAndConflictCopiesAreReadWithItEachLineOnce) {
    Put(base_ + "/kemlessdata/journal-2025.txt", "2025-06-01 10:00 urge\n");
    Put(path_, std::string(kLine) + kOther);
    // A sync tool's copy in conflict: most lines shared, one of its own, and
    // one urge twice where the journal has it once.
    Put(base_ + "/kemlessdata/journal.sync-conflict-20261211-101010-ABCDEFG.txt",
        std::string(kLine) + kOther + kOther + "2026-12-11 10:05 slip\n");
    // Names that only look like ours are passed over.
    Put(base_ + "/kemlessdata/journal-20xx.txt", "2026-12-11 10:00 urge\n");
    Put(base_ + "/kemlessdata/journal.sync-conflict-x.bak", "2026-12-11 10:00 urge\n");
    ASSERT_TRUE(File().catchUp(told_));
    EXPECT_EQ(told_.text,
              std::string("2025-06-01 10:00 urge\n") + kLine + kOther + kOther + "2026-12-11 10:05 slip\n");
    // Nothing beside the journal is ever written.
    ASSERT_TRUE(Append("2026-12-11 11:00 urge\n"));
    EXPECT_EQ(Slurp(base_ + "/kemlessdata/journal-2025.txt"), "2025-06-01 10:00 urge\n");
}

TEST(JournalArchive, NamesAndSplit) {
    EXPECT_EQ(ArchiveNameOf("journal.txt", 2026), "journal-2026.txt");
    EXPECT_EQ(ArchiveYearOf("journal.txt", "journal-2026.txt"), 2026);
    for (const char* name : {"journal-26.txt", "journal-2026.txt.tmp", "journal-20a6.txt", "journal.txt"})
        EXPECT_EQ(ArchiveYearOf("journal.txt", name), 0) << name;
    EXPECT_TRUE(IsConflictCopyOf("journal.txt", "journal.sync-conflict-20261211-1.txt"));
    EXPECT_FALSE(IsConflictCopyOf("journal.txt", "journal.sync-conflict-.txt.part"));
    const std::string bytes =
        "2025-12-31 10:00 urge\n"
        "2025-12-31 11:00 notice month 1 quit=2025-11-01T09:00\n"
        "\xff damaged\n"
        "2026-01-01 10:00 slip\n"
        "2026-01-02 10:00 urge\n";
    const ArchiveSplit split = SplitForArchive(bytes, 100);
    ASSERT_EQ(split.moved.size(), 2u);
    EXPECT_EQ(split.moved[0], (std::pair<int, std::string>{2025, "2025-12-31 10:00 urge\n"}));
    EXPECT_EQ(split.moved[1], (std::pair<int, std::string>{2026, "2026-01-01 10:00 slip\n"}));
    EXPECT_EQ(split.kept,
              "2025-12-31 11:00 notice month 1 quit=2025-11-01T09:00\n"
              "\xff damaged\n"
              "2026-01-02 10:00 urge\n");
}

TEST_F(JournalOnDisk, NearItsLimitTheOldestLinesMoveToArchivesAndNothingIsLost) {
    // Urges alone, one byte short of the limit.
    const std::string old = "2025-03-01 10:00 urge\n";
    std::string bytes;
    bytes.reserve(static_cast<size_t>(kJournalMaxBytes));
    while (bytes.size() + old.size() < static_cast<size_t>(kJournalMaxBytes) - 1) bytes += old;
    bytes.append(static_cast<size_t>(kJournalMaxBytes) - 1 - bytes.size() - 1, 'x');
    bytes += '\n';  // one damaged line makes it exactly the limit less one byte
    ASSERT_EQ(bytes.size(), static_cast<size_t>(kJournalMaxBytes) - 1);
    Put(path_, bytes);
    const size_t urges = bytes.size() / old.size();
    ASSERT_TRUE(Append(kOther));
    const std::string journal = Slurp(path_);
    const std::string archive = Slurp(base_ + "/kemlessdata/journal-2025.txt");
    EXPECT_LE(journal.size(), static_cast<size_t>(kJournalArchiveAbove));
    EXPECT_NE(journal.find(kOther), std::string::npos);
    // Every urge is in one or the other, once; the damaged line stayed.
    auto count = [&](const std::string& text) {
        size_t n = 0;
        for (size_t at = text.find(old); at != std::string::npos; at = text.find(old, at + old.size())) ++n;
        return n;
    };
    EXPECT_EQ(count(journal) + count(archive), urges);
    EXPECT_NE(journal.find("xxx\n"), std::string::npos);
    // A later run reads both.
    JournalFile again(folder_.fd(), folder_.path());
    Collected read;
    ASSERT_TRUE(again.catchUp(read));
    EXPECT_EQ(count(read.text), urges);
}

TEST_F(JournalOnDisk, ALineAnotherWriterAppendsWithoutTheLockIsNeverDropped) {
    // A journal that compaction would shrink a lot.
    std::string bytes;
    for (int i = 1; static_cast<off_t>(bytes.size()) < 2 * kJournalCompactAbove; ++i)
        bytes += FormatJournalLine(Event({2026, 1, 1, 0, 0}, "notice", {"month", std::to_string(i)},
                                         {{"quit", "2025-01-01T00:00"}}));
    Put(path_, bytes);
    const std::string theirs = "2026-12-11 10:30 urge\n";
    const FileOutcome outcome = File().append(told_, [&] {
        // Between the program's read and its rewrite, a writer that takes no lock.
        std::ofstream(path_, std::ios::binary | std::ios::app) << theirs;
        return std::string(kOther);
    });
    ASSERT_TRUE(outcome) << ProblemText(outcome);
    const std::string after = Slurp(path_);
    EXPECT_NE(after.find(theirs), std::string::npos);
    EXPECT_NE(after.find(kOther), std::string::npos);
    // Compacted at a later step, with their line kept.
    ASSERT_TRUE(Append("2026-12-11 10:40 urge\n"));
    const std::string later = Slurp(path_);
    EXPECT_LT(later.size(), after.size());
    EXPECT_NE(later.find(theirs), std::string::npos);
    EXPECT_NE(later.find(kOther), std::string::npos);
}

TEST_F(JournalOnDisk, AJournalOfOtherEventsIsNotRewrittenAtEveryAppend) {
    std::string bytes;
    while (static_cast<off_t>(bytes.size()) < kJournalCompactAbove)
        bytes += FormatJournalLine(Event({2026, 1, 1, 0, 0}, "urge", {"1"}));
    Put(path_, bytes);
    struct stat before {};
    ASSERT_EQ(::stat(path_.c_str(), &before), 0);
    ASSERT_TRUE(Append(kOther));
    struct stat after {};
    ASSERT_EQ(::stat(path_.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "appended in place: compaction would free nothing";
    EXPECT_EQ(Slurp(path_), bytes + kOther);
}

}  // namespace
}  // namespace kemless

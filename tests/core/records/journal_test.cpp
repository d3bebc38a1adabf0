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

#include "records/data_folder.h"
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

TEST(JournalLine, ALineEndFromAnotherSystemIsAllowed) {
    EXPECT_TRUE(ParseJournalLine("2026-12-11 10:00 notice month 1 quit=2026-11-01T09:00\r"));
}

TEST(JournalLine, DamagedLinesDoNotRead) {
    for (const char* line : {
             "", "garbage",
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

// The file, in a held data folder.
class JournalFile : public ::testing::Test {
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
    // One step that appends `lines` and remembers what it was shown.
    FileOutcome Append(const std::string& lines, bool* appended = nullptr) {
        return folder_.updateJournal(
            kJournalName,
            [this, lines](std::string_view journal) {
                seen_ = std::string(journal);
                return lines;
            },
            appended);
    }

    std::string base_;
    std::string path_;
    DataFolder folder_;
    std::string seen_;
};

const char kLine[] = "2026-12-11 10:00 notice month 1 quit=2026-11-01T09:00\n";
const char kOther[] = "2026-12-11 10:01 urge\n";

TEST_F(JournalFile, MadeAtTheFirstEventOnlyPrivateAndAppendedAfterwards) {
    bool appended = true;
    ASSERT_TRUE(Append("", &appended));
    EXPECT_FALSE(appended);
    EXPECT_FALSE(fs::exists(path_)) << "nothing to say leaves no file";
    EXPECT_EQ(folder_.readJournal(kJournalName).state, ReadOutcome::State::Missing);

    ASSERT_TRUE(Append(kLine, &appended));
    EXPECT_TRUE(appended);
    EXPECT_EQ(Slurp(path_), kLine);
    EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_TRUE(Append(kOther));
    EXPECT_EQ(seen_, kLine) << "the step is shown the journal as it stands";
    EXPECT_EQ(Slurp(path_), std::string(kLine) + kOther);
    const ReadOutcome read = folder_.readJournal(kJournalName);
    ASSERT_EQ(read.state, ReadOutcome::State::Read);
    EXPECT_EQ(read.bytes, std::string(kLine) + kOther);
}

TEST_F(JournalFile, ALastLineWithoutItsEndKeepsALineOfItsOwn) {
    Put(path_, "2026-12-11 09:0");
    ASSERT_TRUE(Append(kLine));
    EXPECT_EQ(Slurp(path_), std::string("2026-12-11 09:0\n") + kLine);
    EXPECT_EQ(ParseJournal(Slurp(path_)).size(), 1u);
}

TEST_F(JournalFile, TheUsersOwnLinkIsFollowedAndStays) {
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

class WhatStandsAtTheJournal : public JournalFile, public ::testing::WithParamInterface<Standing> {};

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
    const FileOutcome outcome = folder_.updateJournal(kJournalName, [&called](std::string_view) {
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
    EXPECT_NE(folder_.readJournal(kJournalName).state, ReadOutcome::State::Read);
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

TEST_F(JournalFile, AnAppendThatDoesNotFitIsTakenBackWhole) {
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

TEST_F(JournalFile, PastItsBoundItIsCompactedKeepingWhatMustBeKept) {
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
    EXPECT_EQ(after, CompactJournal(bytes + last));
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

TEST_F(JournalFile, AJournalOfOtherEventsIsNotRewrittenAtEveryAppend) {
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

#include "records/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "records/shift_jis.h"
#include "records/startup.h"

namespace kemless {
namespace {

namespace fs = std::filesystem;

// A fresh, empty base folder per test.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kemless-test-XXXXXX";
        base_ = mkdtemp(tmpl);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(base_, fs::perms::owner_all, ec);
        fs::permissions(base_ + "/kemlessdata", fs::perms::owner_all, ec);
        fs::remove_all(base_, ec);
    }
    std::string slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string base_;
};

const std::string kDefaultOptionLine =
    "0,58,5,0,5,1,0,0,9241372,16777215,\"kemless.example.jp/\",2,0,0,\"ソルジャー\"\r\n";

TEST(SettingsFormat, DefaultLinesAreExact) {
    EXPECT_EQ(FormatOptionLine(DefaultOptionSettings()), kDefaultOptionLine);
    InitialSettings s = DefaultInitialSettings({2014, 3, 14, 21, 5});
    EXPECT_EQ(FormatInitialLine(s), "2014,3,14,21,5,20,300,85\r\n");
    s.quit.year = -3;
    EXPECT_EQ(FormatInitialLine(s), "-3,3,14,21,5,20,300,85\r\n");
}

// A hand-edited option.ini may hold numbers the program never writes in
// its coded fields: each reads by its field's rule and goes back to the file
// exactly as it stood.
TEST(SettingsFormat, HandEditedCodesReadByTheirRuleAndAreWrittenBackUnchanged) {
    struct Row {
        const char* line;
        bool started, boxCount;
        WindowMode mode;
        Rgb back;
    };
    const Row rows[] = {
        {"5,58,5,0,5,1,0,0,9241372,16777215,\"a/\",7,0,0,\"x\"\r\n", true, true, static_cast<WindowMode>(7),
         Rgb(28, 3, 141)},
        {"-1,58,5,0,5,2,0,0,16777216,16777215,\"a/\",-3,0,0,\"x\"\r\n", true, false,
         static_cast<WindowMode>(-3), Rgb(0, 0, 0)},
        {"0,58,5,0,5,-1,0,0,-1,16777215,\"a/\",1,0,0,\"x\"\r\n", false, false, WindowMode::Mini,
         Rgb(255, 255, 255)},
    };
    for (const Row& r : rows) {
        const auto read = ParseOptionFile(r.line);
        ASSERT_TRUE(read) << r.line;
        EXPECT_EQ(static_cast<bool>(read->quitStarted), r.started) << r.line;
        EXPECT_EQ(static_cast<bool>(read->showBoxCount), r.boxCount) << r.line;
        EXPECT_EQ(read->windowMode, r.mode) << r.line;
        EXPECT_EQ(read->backColor.red(), r.back.red()) << r.line;
        EXPECT_EQ(read->backColor.blue(), r.back.blue()) << r.line;
        EXPECT_EQ(FormatOptionLine(*read), r.line);
    }
    // Set by the program, a flag is a plain 1 or 0 again.
    OptionSettings o = *ParseOptionFile(rows[0].line);
    o.showBoxCount = true;
    o.quitStarted = false;
    EXPECT_EQ(FormatOptionLine(o).substr(0, 12), "0,58,5,0,5,1");
}

TEST(SettingsFormat, InitialLineReadsBack) {
    auto s = ParseInitialFile("2014,3,14,21,5,20,300,85\r\n");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->quit, (CalendarMoment{2014, 3, 14, 21, 5}));
    EXPECT_EQ(s->cigarettesPerDay, 20);
    EXPECT_EQ(s->packPrice, 300);
    EXPECT_EQ(s->cigaretteSize, 85);
}

struct ReadCase {
    const char* name;
    std::string bytes;
    bool readable;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class OptionRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(OptionRead, ReadableOrUnreadableAsAWhole) {
    EXPECT_EQ(ParseOptionFile(Utf8ToShiftJis(GetParam().bytes)).has_value(), GetParam().readable);
}

INSTANTIATE_TEST_SUITE_P(
    FileFormat, OptionRead,
    ::testing::Values(
        ReadCase{"default_line", kDefaultOptionLine, true},
        ReadCase{"no_line_end", "0,58,5,0,5,1,0,0,1,2,\"a\",2,0,0,\"コスモ\"", true},
        ReadCase{"blanks_before_fields", "1, 58, 5,0,5,1,0,0,1,2, \"a\",2,0,0, \"x\"\r\n", true},
        ReadCase{"extra_fields_ignored", "1,58,5,0,5,1,0,0,1,2,\"a\",2,0,0,\"x\",99,\"y\"\r\n", true},
        ReadCase{"fields_across_lines", "1,58,5,0,5,1,0,0,1,2\r\n\"a\",2,0,0,\"x\"\r\n", true},
        ReadCase{"fourteen_fields", "1,58,5,0,5,1,0,0,1,2,\"a\",2,0,0\r\n", false},
        ReadCase{"empty_file", "", false},
        ReadCase{"number_beyond_32_bits", "1,58,5,0,5,1,0,0,4294967296,2,\"a\",2,0,0,\"x\"\r\n", false},
        ReadCase{"letters_in_number", "1,58,5,0,5,1,0,0,abc,2,\"a\",2,0,0,\"x\"\r\n", false},
        ReadCase{"plus_sign", "+1,58,5,0,5,1,0,0,1,2,\"a\",2,0,0,\"x\"\r\n", false},
        ReadCase{"fraction", "1,58.5,5,0,5,1,0,0,1,2,\"a\",2,0,0,\"x\"\r\n", false},
        ReadCase{"unclosed_quote_at_end", "1,58,5,0,5,1,0,0,1,2,\"a\",2,0,0,\"x\r\n", false},
        ReadCase{"binary_garbage", std::string("\x01\xff\xfe\x00\x80,,\"", 7), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFormat, LinkWithCommaAndUnknownModeRoundTrip) {
    OptionSettings s;
    s.linkUrl = "example.jp/a,b?c=1";
    s.statusMode = "ソルジャー！";
    s.mainLeft = -300;
    auto back = ParseOptionFile(Utf8ToShiftJis(FormatOptionLine(s)));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, s);
}

TEST(SettingsFormat, DoubleQuoteInTextIsDroppedSoTheFileReadsBack) {
    OptionSettings s;
    s.linkUrl = "ex\"ample.jp/";
    auto back = ParseOptionFile(Utf8ToShiftJis(FormatOptionLine(s)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->linkUrl, "example.jp/");
    EXPECT_EQ(back->statusMode, "ソルジャー");
}

TEST(ShiftJis, StatusModesRoundTripAndUnmappableBecomesQuestionMark) {
    const std::string sjis = Utf8ToShiftJis("ソルジャー");
    EXPECT_EQ(sjis, "\x83\x5c\x83\x8b\x83\x57\x83\x83\x81\x5b");
    EXPECT_EQ(ShiftJisToUtf8(sjis), "ソルジャー");
    EXPECT_EQ(Utf8ToShiftJis("a😀b"), "a?b");
    EXPECT_EQ(ShiftJisToUtf8("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_EQ(ShiftJisToUtf8("\xA0"
                             "b"),
              "\xEF\xBF\xBD"
              "b");
}

TEST_F(TempFolder, StartupCreatesFolderAndDefaultFiles) {
    SettingsStore store(base_);
    const CalendarMoment now{2026, 12, 10, 9, 30};
    StartupState st = RunStartupFileSteps(store, now);
    EXPECT_EQ(st.first, FirstWindow::FirstRunSetup);
    EXPECT_EQ(slurp(store.initialPath()), "2026,12,10,9,30,20,300,85\r\n");
    EXPECT_EQ(slurp(store.optionPath()), Utf8ToShiftJis(kDefaultOptionLine));
    EXPECT_EQ(st.options, DefaultOptionSettings());
}

TEST_F(TempFolder, StartupNeverOverwritesAndKeepsUnreadableOption) {
    SettingsStore store(base_);
    store.ensureDataFolder();
    put(store.initialPath(), "garbage");
    put(store.optionPath(), "1,58,5,0,5,1,0,0,1,2,\"a\",2,0,0\r\n");  // fourteen fields
    StartupState st = RunStartupFileSteps(store, {2026, 12, 10, 9, 30});
    EXPECT_EQ(st.options, DefaultOptionSettings());
    EXPECT_EQ(st.first, FirstWindow::FirstRunSetup);
    EXPECT_EQ(slurp(store.initialPath()), "garbage");
    EXPECT_EQ(slurp(store.optionPath()), "1,58,5,0,5,1,0,0,1,2,\"a\",2,0,0\r\n");
    // The profile in memory is a real date, never zeros.
    EXPECT_EQ(st.initial.quit, (CalendarMoment{2026, 12, 10, 9, 30}));
}

TEST_F(TempFolder, StartedQuitOpensTheWindowOfTheMode) {
    SettingsStore store(base_);
    store.ensureDataFolder();
    OptionSettings o;
    o.quitStarted = 1;
    for (auto [mode, first] : {std::pair{0, FirstWindow::MainShown},
                               {1, FirstWindow::MiniShown},
                               {2, FirstWindow::MainShown},
                               {7, FirstWindow::MainShown}}) {
        o.windowMode = static_cast<WindowMode>(mode);
        ASSERT_TRUE(store.writeOption(o));
        EXPECT_EQ(RunStartupFileSteps(store, {2026, 1, 1, 0, 0}).first, first) << mode;
    }
}

TEST_F(TempFolder, FailedWriteLeavesTheOldFile) {
    SettingsStore store(base_);
    store.ensureDataFolder();
    OptionSettings o;
    o.quitStarted = 1;
    ASSERT_TRUE(store.writeOption(o));
    const std::string before = slurp(store.optionPath());
    if (::geteuid() == 0) {
        // Root ignores permissions: make the rename fail with a directory instead.
        fs::remove(store.initialPath());
        fs::create_directory(store.initialPath());
        fs::create_directory(store.initialPath() + "/keep");
        EXPECT_FALSE(store.writeInitial(InitialSettings{}));
        EXPECT_TRUE(fs::is_directory(store.initialPath()));
    } else {
        fs::permissions(store.dataFolder(), fs::perms::owner_read | fs::perms::owner_exec);
        o.quitStarted = 0;
        EXPECT_FALSE(store.writeOption(o));
    }
    EXPECT_EQ(slurp(store.optionPath()), before);
    // No temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(store.dataFolder()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos);
}

TEST_F(TempFolder, DirectoryInPlaceOfFileIsUnreadable) {
    SettingsStore store(base_);
    store.ensureDataFolder();
    fs::create_directory(store.optionPath());
    EXPECT_FALSE(store.canOpenOption());
    EXPECT_FALSE(store.readOption());
    StartupState st = RunStartupFileSteps(store, {2026, 1, 1, 0, 0});
    EXPECT_EQ(st.options, DefaultOptionSettings());
}

// A record an older version left in its working folder, and the per-user
// folder of a first start.
class AdoptRecordTest : public ::testing::Test {
protected:
    std::filesystem::path root = std::filesystem::temp_directory_path() /
                                 ("kemless-adopt-" + std::to_string(::getpid()) + "-" +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    SettingsStore old{(root / "work").string()};
    SettingsStore fresh{(root / "share/kemless").string()};

    void SetUp() override { std::filesystem::create_directories(root / "work"); }
    void TearDown() override { std::filesystem::remove_all(root); }

    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void oldStartedRecord() {
        old.ensureDataFolder();
        InitialSettings in;
        in.quit = {2014, 3, 14, 21, 5};
        ASSERT_TRUE(old.writeInitial(in));
        OptionSettings o;
        o.quitStarted = 1;
        o.statusMode = "コスモ";
        ASSERT_TRUE(old.writeOption(o));
    }
};

TEST_F(AdoptRecordTest, CopiesBothFilesByteForByteAndLeavesTheOldOnes) {
    oldStartedRecord();
    ASSERT_TRUE(AdoptRecord(old, fresh));
    EXPECT_EQ(Bytes(fresh.initialPath()), Bytes(old.initialPath()));
    EXPECT_EQ(Bytes(fresh.optionPath()), Bytes(old.optionPath()));
    EXPECT_TRUE(std::filesystem::exists(old.optionPath()));
    EXPECT_EQ(fresh.readInitial()->quit, (CalendarMoment{2014, 3, 14, 21, 5}));
    EXPECT_TRUE(fresh.keepingProblems().empty());
}

TEST_F(AdoptRecordTest, NeverReplacesARecordThatIsThere) {
    oldStartedRecord();
    fresh.ensureDataFolder();
    Put(fresh.optionPath(), "not even readable");
    EXPECT_FALSE(AdoptRecord(old, fresh));
    EXPECT_EQ(Bytes(fresh.optionPath()), "not even readable");
    EXPECT_FALSE(std::filesystem::exists(fresh.initialPath()));
}

TEST_F(AdoptRecordTest, AnInitialFileAloneIsARecordBeingSetUpAgain) {
    // option.ini removed to go through the setup again: the quit moment the
    // user kept must not be replaced by an old record from the work folder.
    oldStartedRecord();
    fresh.ensureDataFolder();
    Put(fresh.initialPath(), "2025,1,2,3,4,10,500,100\r\n");
    EXPECT_FALSE(AdoptRecord(old, fresh));
    EXPECT_EQ(Bytes(fresh.initialPath()), "2025,1,2,3,4,10,500,100\r\n");
    EXPECT_FALSE(std::filesystem::exists(fresh.optionPath()));
    // Even a link into nowhere at one of the names is somebody's.
    std::filesystem::remove(fresh.initialPath());
    std::filesystem::create_symlink("/nonexistent/kemless", fresh.optionPath());
    EXPECT_FALSE(AdoptRecord(old, fresh));
    EXPECT_FALSE(std::filesystem::exists(fresh.initialPath()));
}

TEST_F(AdoptRecordTest, AnUnreadableOrMissingOldRecordIsLeftAlone) {
    EXPECT_FALSE(AdoptRecord(old, fresh));  // nothing there at all
    old.ensureDataFolder();
    Put(old.optionPath(), "0,58,5\r\n");  // fourteen fields short
    EXPECT_FALSE(AdoptRecord(old, fresh));
    EXPECT_FALSE(std::filesystem::exists(fresh.dataFolder()));
}

TEST_F(AdoptRecordTest, OptionWithoutInitialIsCopiedAlone) {
    oldStartedRecord();
    std::filesystem::remove(old.initialPath());
    EXPECT_TRUE(AdoptRecord(old, fresh));
    EXPECT_TRUE(std::filesystem::exists(fresh.optionPath()));
    EXPECT_FALSE(std::filesystem::exists(fresh.initialPath()));
}

TEST_F(AdoptRecordTest, TheSameFolderIsNoSource) {
    oldStartedRecord();
    SettingsStore same((root / "work/.").string());
    EXPECT_FALSE(AdoptRecord(old, same));
}

TEST(BaseFolder, RelativeFoldersAreTakenFromTheWorkingDirectory) {
    EXPECT_EQ(ResolveBaseFolder("/media/stick", "/home/u"), "/media/stick");
    EXPECT_EQ(ResolveBaseFolder("rec", "/home/u"), "/home/u/rec");
    EXPECT_EQ(ResolveBaseFolder("../rec", "/home/u/docs"), "/home/u/docs/../rec");
    EXPECT_EQ(ResolveBaseFolder(".", "/home/u"), "/home/u");
}

TEST(Keeping, SaysWhyARecordCannotBeKept) {
    const auto root =
        std::filesystem::temp_directory_path() / ("kemless-keeping-" + std::to_string(::getpid()));
    SettingsStore store(root.string());
    auto only = [&store](FileProblem problem, const std::string& path) {
        const std::vector<FileOutcome> problems = store.keepingProblems();
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].problem, problem);
        EXPECT_EQ(problems[0].path, path);
    };
    only(FileProblem::NoFolder, root.string());  // not even the folder above it
    store.ensureDataFolder();
    const std::vector<FileOutcome> neither = store.keepingProblems();  // neither file made yet
    ASSERT_EQ(neither.size(), 2u);
    EXPECT_EQ(neither[0].path, store.initialPath());
    EXPECT_EQ(neither[1].path, store.optionPath());
    ASSERT_TRUE(store.writeInitial(InitialSettings{}));
    std::filesystem::create_directory(store.optionPath());
    only(FileProblem::NotAFile, store.optionPath());
    std::filesystem::remove(store.optionPath());
    ASSERT_TRUE(store.writeOption(OptionSettings{}));
    EXPECT_TRUE(store.keepingProblems().empty());
    // A file the start could not read is named, and never written this run.
    store.block(SettingsStore::File::Option, {FileProblem::NoPermission, EACCES, store.optionPath(), {}});
    only(FileProblem::NoPermission, store.optionPath());
    EXPECT_EQ(store.writeOption(OptionSettings{}).problem, FileProblem::NoPermission);
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace kemless

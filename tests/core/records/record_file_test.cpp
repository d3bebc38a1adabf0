// What may stand at a record file's name, and what reading, the start's file
// steps and saving make of it: only a regular file is a record, only a
// missing one is made, nothing that could not be read is ever written, and
// no link that somebody planted redirects a save.
#include "records/record_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>

#include "records/settings_store.h"
#include "records/shift_jis.h"
#include "records/startup.h"
#include "support/file_bytes.h"

namespace kemless {
namespace {

namespace fs = std::filesystem;

const char kRecord[] = "2014,3,14,21,5,20,300,85\r\n";

class RecordFolder : public ::testing::Test {
public:
    static std::string Slurp(const std::string& path) { return kemless::Slurp(path); }
    static void Put(const std::string& path, const std::string& bytes) { kemless::Put(path, bytes); }

protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kemless-record-XXXXXX";
        base_ = ::mkdtemp(tmpl);
        store_ = std::make_unique<SettingsStore>(base_);
        store_->ensureDataFolder();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(base_, ec);
    }
    // Everything in the data folder, so a test sees a temporary file left over.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(store_->dataFolder()))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string base_;
    std::unique_ptr<SettingsStore> store_;
};

// What a test puts at initial.ini's name before the start.
struct StandingCase {
    const char* name;
    std::function<void(const std::string& path, const std::string& base)> make;
    ReadOutcome::State state;
    FileProblem problem;  // when Blocked
};
void PrintTo(const StandingCase& c, std::ostream* os) { *os << c.name; }

class WhatStandsThere : public RecordFolder, public ::testing::WithParamInterface<StandingCase> {};

TEST_P(WhatStandsThere, OnlyAMissingFileIsMadeAndNothingUnreadableIsWritten) {
    const StandingCase& c = GetParam();
    const std::string path = store_->initialPath();
    c.make(path, base_);
    struct stat before {};
    const bool existed = ::lstat(path.c_str(), &before) == 0;

    const ReadOutcome read = ReadRecordFile(path);  // must not hang on a FIFO
    EXPECT_EQ(read.state, c.state);
    if (c.state == ReadOutcome::State::Blocked) {
        EXPECT_EQ(read.blocked.problem, c.problem) << ProblemText(read.blocked);
        EXPECT_EQ(read.blocked.path, path);
    }

    const CalendarMoment now{2026, 12, 10, 9, 30};
    const StartupState st = RunStartupFileSteps(*store_, now);
    EXPECT_EQ(st.initial, DefaultInitialSettings(now));
    EXPECT_EQ(store_->isBlocked(SettingsStore::File::Initial), c.state == ReadOutcome::State::Blocked);
    if (c.state == ReadOutcome::State::Blocked) {
        // Named at start, refused at every save of this run, left as it stood.
        const std::vector<FileOutcome> problems = store_->keepingProblems();
        ASSERT_FALSE(problems.empty());
        EXPECT_EQ(problems[0].path, path);
        EXPECT_EQ(problems[0].problem, c.problem);
        EXPECT_FALSE(store_->writeInitial(InitialSettings{}));
        struct stat after {};
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    } else if (c.state == ReadOutcome::State::Missing) {
        // Made with the defaults, through a dangling link of the user's own.
        EXPECT_EQ(Slurp(path), "2026,12,10,9,30,20,300,85\r\n");
        if (existed) {
            EXPECT_TRUE(fs::is_symlink(path));
        }
    } else {
        EXPECT_EQ(Slurp(path), kRecord);
    }
    // The start leaves no temporary file behind, its trial save included.
    for (const std::string& name : Entries()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

INSTANTIATE_TEST_SUITE_P(
    RecordFile, WhatStandsThere,
    ::testing::Values(
        StandingCase{"a_record",
                     [](const std::string& p, const std::string&) { RecordFolder::Put(p, kRecord); },
                     ReadOutcome::State::Read, FileProblem::None},
        StandingCase{"nothing", [](const std::string&, const std::string&) {}, ReadOutcome::State::Missing,
                     FileProblem::None},
        StandingCase{"own_link_to_a_record",
                     [](const std::string& p, const std::string& base) {
                         RecordFolder::Put(base + "/dotfile", kRecord);
                         fs::create_symlink("../dotfile", p);
                     },
                     ReadOutcome::State::Read, FileProblem::None},
        StandingCase{
            "own_link_into_nowhere",
            [](const std::string& p, const std::string& base) { fs::create_symlink(base + "/not-yet", p); },
            ReadOutcome::State::Missing, FileProblem::None},
        StandingCase{"a_folder",
                     [](const std::string& p, const std::string&) {
                         fs::create_directory(p);
                         RecordFolder::Put(p + "/keep", "x");
                     },
                     ReadOutcome::State::Blocked, FileProblem::NotAFile},
        StandingCase{
            "a_fifo",
            [](const std::string& p, const std::string&) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
            ReadOutcome::State::Blocked, FileProblem::NotAFile},
        StandingCase{"a_link_to_dev_zero",
                     [](const std::string& p, const std::string&) { fs::create_symlink("/dev/zero", p); },
                     ReadOutcome::State::Blocked, FileProblem::NotAFile},
        StandingCase{"a_link_to_itself",
                     [](const std::string& p, const std::string&) { fs::create_symlink("initial.ini", p); },
                     ReadOutcome::State::Blocked, FileProblem::LinkLoop},
        StandingCase{"a_socket",
                     [](const std::string& p, const std::string&) {
                         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                         sockaddr_un a{};
                         a.sun_family = AF_UNIX;
                         ASSERT_LT(p.size(), sizeof a.sun_path);
                         std::memcpy(a.sun_path, p.c_str(), p.size());
                         ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
                         ::close(fd);
                     },
                     ReadOutcome::State::Blocked, FileProblem::NotAFile},
        StandingCase{"a_file_far_beyond_a_record",
                     [](const std::string& p, const std::string&) {
                         RecordFolder::Put(p, kRecord);
                         fs::resize_file(p, std::uintmax_t{100} << 20);  // sparse: no disk used
                     },
                     ReadOutcome::State::Blocked, FileProblem::TooLarge}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordFolder, ASaveThroughTheUsersOwnLinkKeepsTheLink) {
    fs::create_directory(base_ + "/dotfiles");
    Put(base_ + "/dotfiles/option.ini", Utf8ToShiftJis(FormatOptionLine(OptionSettings{})));
    fs::create_symlink("../dotfiles/option.ini", store_->optionPath());
    OptionSettings o;
    o.quitStarted = 1;
    ASSERT_TRUE(store_->writeOption(o));
    EXPECT_TRUE(fs::is_symlink(store_->optionPath()));
    EXPECT_EQ(Slurp(base_ + "/dotfiles/option.ini"), Utf8ToShiftJis(FormatOptionLine(o)));
    EXPECT_EQ(store_->readOption(), o);
    // The temporary file was made beside the target, and is gone.
    for (const auto& e : fs::directory_iterator(base_ + "/dotfiles"))
        EXPECT_EQ(e.path().filename(), "option.ini");
}

TEST_F(RecordFolder, APlantedOrLeftOverTemporaryFileIsNeverFollowed) {
    // The names a fixed-name writer would have used, aimed at a file of the user's.
    const std::string victim = base_ + "/notes.txt";
    Put(victim, "my notes");
    for (const char* name : {"/option.ini.tmp", "/initial.ini.tmp"})
        fs::create_symlink(victim, store_->dataFolder() + name);
    // A link shaped like a temporary file of ours.
    fs::create_symlink(victim, store_->dataFolder() + "/option.ini.kemless-ZzZzZzZz.tmp");
    OptionSettings o;
    o.quitStarted = 1;
    ASSERT_TRUE(store_->writeOption(o));
    ASSERT_TRUE(store_->writeInitial(InitialSettings{}));
    EXPECT_EQ(Slurp(victim), "my notes");
    EXPECT_EQ(store_->readOption(), o);
    // Links are left as they stand.
    EXPECT_TRUE(fs::is_symlink(store_->dataFolder() + "/option.ini.kemless-ZzZzZzZz.tmp"));
    EXPECT_TRUE(fs::is_symlink(store_->dataFolder() + "/option.ini.tmp"));
}

// A save clears away the temporary files a killed save left beside the file,
// and nothing else: a copy the user named alike by hand stays.
TEST_F(RecordFolder, OnlyTheTemporaryNamesASaveMakesAreClearedAway) {
    const struct {
        const char* name;
        bool removed;
    } rows[] = {
        {"option.ini.kemless-AbCdEfGh.tmp", true},
        {"option.ini.kemless-01234567.tmp", true},
        {"option.ini.XXXXXXXX.tmp", false},  // the form of a copy made by hand
        {"option.ini.AbCdEfGh.tmp", false},
        {"option.ini.kemless-AbCdEfG.tmp", false},    // a letter short
        {"option.ini.kemless-AbCdEfGhi.tmp", false},  // a letter more
        {"option.ini.kemless-AbCd-fGh.tmp", false},   // not a letter nor a digit
        {"option.ini.kemless-AbCdEfGh.tmp~", false},
        {"option.ini.kemless-AbCdEfGh.TMP", false},
        {"initial.ini.kemless-AbCdEfGh.tmp", false},  // another file's: its own save clears it
        {"xoption.ini.kemless-AbCdEfGh.tmp", false},
        {".kemless-trial.AbCdEfGh.tmp", false},  // the trial's: the start's trial clears it
    };
    for (const auto& row : rows) Put(store_->dataFolder() + "/" + row.name, "half");
    // A leftover with a second name is somebody's file too.
    Put(base_ + "/kept-elsewhere", "linked");
    fs::create_hard_link(base_ + "/kept-elsewhere",
                         store_->dataFolder() + "/option.ini.kemless-HardLink.tmp");
    ASSERT_TRUE(store_->writeOption(OptionSettings{}));
    for (const auto& row : rows)
        EXPECT_EQ(fs::exists(store_->dataFolder() + "/" + row.name), !row.removed) << row.name;
    EXPECT_EQ(Slurp(store_->dataFolder() + "/option.ini.kemless-HardLink.tmp"), "linked");
}

TEST_F(RecordFolder, ALinkAnotherUserMadeIsNeitherReadNorSaved) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a link to another user here; the process tests do it";
    const std::string victim = base_ + "/notes.txt";
    Put(victim, kRecord);
    fs::create_symlink(victim, store_->initialPath());
    ASSERT_EQ(::lchown(store_->initialPath().c_str(), 65534, 65534), 0);
    EXPECT_EQ(ReadRecordFile(store_->initialPath()).blocked.problem, FileProblem::ForeignLink);
    EXPECT_EQ(store_->writeInitial(InitialSettings{}).problem, FileProblem::ForeignLink);
    EXPECT_EQ(Slurp(victim), kRecord);
}

TEST_F(RecordFolder, AFullDiskShowsInTheTrialSaveAndLeavesNothing) {
    Put(store_->initialPath(), kRecord);
    Put(store_->optionPath(), Utf8ToShiftJis(FormatOptionLine(OptionSettings{})));
    EXPECT_TRUE(store_->keepingProblems().empty());
    // A file size limit binds root too; the signal it sends would end the test.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny{16, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const std::vector<FileOutcome> problems = store_->keepingProblems();
    const FileOutcome save = store_->writeOption(OptionSettings{});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].problem, FileProblem::NoSpace);
    EXPECT_EQ(problems[0].path, store_->dataFolder());
    EXPECT_EQ(save.problem, FileProblem::NoSpace);
    EXPECT_EQ(Slurp(store_->initialPath()), kRecord);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"initial.ini", "option.ini"}));
}

TEST(RecordFileTexts, EveryProblemHasItsOwnWords) {
    std::vector<std::string> seen;
    for (FileProblem p :
         {FileProblem::NoPermission, FileProblem::NotAFile, FileProblem::LinkLoop, FileProblem::ForeignLink,
          FileProblem::TooLarge, FileProblem::NoSpace, FileProblem::ReadOnly, FileProblem::NoFolder,
          FileProblem::NotYours, FileProblem::OpenToOthers, FileProblem::NotYoursFile,
          FileProblem::OpenToOthersFile, FileProblem::SharedHardLink, FileProblem::Other}) {
        const std::string text = ProblemText({p, 5, "/x", {}});
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(std::find(seen.begin(), seen.end(), text), seen.end()) << text;
        seen.push_back(text);
    }
    const std::string message =
        RecordNotKeptText({{FileProblem::NoSpace, 28, "/home/u/kemlessdata", {}}}, "/home/u/kemlessdata");
    EXPECT_NE(message.find("/home/u/kemlessdata"), std::string::npos);
    EXPECT_NE(message.find(ProblemText({FileProblem::NoSpace, 28, "", {}})), std::string::npos);
    // The headline says whose fault it is: the folder's, or a file's in it.
    EXPECT_EQ(message.rfind("記録を保存するフォルダが使えません。", 0), 0u);
    const std::string file = RecordNotKeptText(
        {{FileProblem::NotAFile, 0, "/home/u/kemlessdata/option.ini", {}}}, "/home/u/kemlessdata");
    EXPECT_EQ(file.rfind("記録のファイルが使えません。", 0), 0u);
}

}  // namespace
}  // namespace kemless

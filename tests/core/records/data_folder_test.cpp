// The data folder held open: what may stand at its name, a folder swapped for
// a link while the program runs, the mode a save keeps, and the bytes of a
// record that did not read, kept beside it before a save replaces them.
#include "records/data_folder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>

#include "records/settings_store.h"
#include "records/shift_jis.h"
#include "records/startup.h"

namespace kemless {
namespace {

namespace fs = std::filesystem;

const char kRecord[] = "2014,3,14,21,5,20,300,85\r\n";
const CalendarMoment kNow{2026, 12, 11, 8, 30};
const char kStamp[] = "-2026-12-11-0830";
// Somebody else, for the rows that need another owner (run as root).
constexpr uid_t kOther = 65534;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kemless-folder-XXXXXX";
        base_ = ::mkdtemp(tmpl);
        ::chmod(base_.c_str(), 0755);
        store_ = std::make_unique<SettingsStore>(base_);
        store_->setClock([] { return kNow; });
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(base_, ec);
    }
    std::vector<std::string> Entries(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string data() const { return store_->dataFolder(); }

    std::string base_;
    std::unique_ptr<SettingsStore> store_;
};

// What stands at the name "kemlessdata" when the start opens it.
struct FolderCase {
    const char* name;
    std::function<void(const std::string& base)> make;
    FileProblem problem;  // None: held
    bool rootOnly;        // needs another owner
};
void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class WhatStandsAtTheFolder : public DataFolderTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(WhatStandsAtTheFolder, OnlyTheUsersOwnFolderIsHeldAndNothingIsWrittenElsewhere) {
    const FolderCase& c = GetParam();
    if (c.rootOnly && ::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    // Whatever the name leads to holds a record of somebody's that must stay as it is.
    fs::create_directory(base_ + "/elsewhere");
    Put(base_ + "/elsewhere/initial.ini", kRecord);
    c.make(base_);
    store_->ensureDataFolder();
    const std::vector<FileOutcome> problems = store_->keepingProblems();
    if (c.problem == FileProblem::None) {
        ASSERT_NE(store_->folder(), nullptr);
        EXPECT_TRUE(store_->writeOption(OptionSettings{}));
        return;
    }
    EXPECT_EQ(store_->folder(), nullptr);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].problem, c.problem) << ProblemText(problems[0]);
    // The start goes on with the defaults and writes nothing anywhere.
    const StartupState st = RunStartupFileSteps(*store_, kNow);
    EXPECT_EQ(st.first, FirstWindow::FirstRunSetup);
    EXPECT_FALSE(store_->writeInitial(InitialSettings{}));
    EXPECT_FALSE(store_->writeOption(OptionSettings{}));
    EXPECT_EQ(Entries(base_ + "/elsewhere"), std::vector<std::string>{"initial.ini"});
    EXPECT_EQ(Slurp(base_ + "/elsewhere/initial.ini"), kRecord);
}

INSTANTIATE_TEST_SUITE_P(
    RecordFolder, WhatStandsAtTheFolder,
    ::testing::Values(FolderCase{"nothing_is_made", [](const std::string&) {}, FileProblem::None, false},
                      FolderCase{"the_users_own_link_is_followed",
                                 [](const std::string& b) {
                                     fs::create_directory_symlink("elsewhere", b + "/kemlessdata");
                                 },
                                 FileProblem::None, false},
                      FolderCase{"a_sticky_folder_open_to_all_is_the_users",
                                 [](const std::string& b) {
                                     fs::create_directory(b + "/kemlessdata");
                                     ::chmod((b + "/kemlessdata").c_str(), 01777);
                                 },
                                 FileProblem::None, false},
                      FolderCase{"a_folder_others_may_write_in",
                                 [](const std::string& b) {
                                     fs::create_directory(b + "/kemlessdata");
                                     ::chmod((b + "/kemlessdata").c_str(), 0777);
                                 },
                                 FileProblem::OpenToOthers, false},
                      FolderCase{"a_file_in_the_way",
                                 [](const std::string& b) { Put(b + "/kemlessdata", "not a folder"); },
                                 FileProblem::NotAFolder, false},
                      FolderCase{"a_link_to_itself",
                                 [](const std::string& b) {
                                     fs::create_directory_symlink("kemlessdata", b + "/kemlessdata");
                                 },
                                 FileProblem::LinkLoop, false},
                      FolderCase{"a_link_another_user_planted",
                                 [](const std::string& b) {
                                     fs::create_directory_symlink(b + "/elsewhere", b + "/kemlessdata");
                                     ASSERT_EQ(::lchown((b + "/kemlessdata").c_str(), kOther, kOther), 0);
                                 },
                                 FileProblem::ForeignLink, true},
                      FolderCase{"another_users_folder",
                                 [](const std::string& b) {
                                     fs::create_directory(b + "/kemlessdata");
                                     ASSERT_EQ(::chown((b + "/kemlessdata").c_str(), kOther, kOther), 0);
                                 },
                                 FileProblem::NotYours, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataFolderTest, AFolderSwappedForALinkWhileHeldRedirectsNothing) {
    store_->ensureDataFolder();
    ASSERT_TRUE(store_->writeInitial(InitialSettings{}));
    // The victim's private record somewhere else.
    fs::create_directory(base_ + "/private");
    Put(base_ + "/private/option.ini", "mine\r\n");
    Put(base_ + "/private/initial.ini", kRecord);
    // Somebody renames the folder and puts a link to the private one in its place.
    fs::rename(data(), base_ + "/renamed");
    fs::create_directory_symlink(base_ + "/private", data());
    OptionSettings o;
    o.quitStarted = 1;
    ASSERT_TRUE(store_->writeOption(o));
    ASSERT_TRUE(store_->writeInitial(InitialSettings{}));
    EXPECT_EQ(Slurp(base_ + "/private/option.ini"), "mine\r\n");
    EXPECT_EQ(Slurp(base_ + "/private/initial.ini"), kRecord);
    EXPECT_EQ(Entries(base_ + "/private"), (std::vector<std::string>{"initial.ini", "option.ini"}));
    // The save went to the folder it held, under whatever name it has now.
    EXPECT_EQ(ParseOptionFile(Slurp(base_ + "/renamed/option.ini")), o);
    EXPECT_TRUE(store_->keepingProblems().empty());
}

TEST_F(DataFolderTest, TheStartSaysWhyTheFolderCannotBeMade) {
    const struct {
        const char* name;
        std::string base;
        FileProblem problem;
    } rows[] = {
        {"a file where the base folder should be", base_ + "/file/sub", FileProblem::NotAFolder},
        {"a name longer than any the system takes", base_ + "/" + std::string(300, 'x'),
         FileProblem::NameTooLong},
    };
    Put(base_ + "/file", "x");
    for (const auto& row : rows) {
        SettingsStore store(row.base);
        store.ensureDataFolder();
        const std::vector<FileOutcome> problems = store.keepingProblems();
        ASSERT_EQ(problems.size(), 1u) << row.name;
        EXPECT_EQ(problems[0].problem, row.problem) << row.name << ": " << ProblemText(problems[0]);
        EXPECT_EQ(RecordNotKeptText(problems, store.dataFolder()).find("フォルダがありません"),
                  std::string::npos);
    }
}

TEST_F(DataFolderTest, AStaleTrialFileOfAKilledStartIsRemovedAtTheNext) {
    store_->ensureDataFolder();
    ASSERT_TRUE(store_->writeInitial(InitialSettings{}));
    ASSERT_TRUE(store_->writeOption(OptionSettings{}));
    Put(data() + "/.kemless-trial.AbCdEfGh.tmp", std::string(256, ' '));
    fs::create_symlink(base_ + "/notes", data() + "/.kemless-trial.ZzZzZzZz.tmp");  // nobody's to remove
    Put(data() + "/.kemless-trial.my-notes.tmp", "mine");  // not a name the trial makes
    EXPECT_TRUE(store_->keepingProblems().empty());
    EXPECT_EQ(Entries(data()),
              (std::vector<std::string>{".kemless-trial.ZzZzZzZz.tmp", ".kemless-trial.my-notes.tmp",
                                        "initial.ini", "option.ini"}));
}

TEST_F(DataFolderTest, WhatTheStartMakesIsPrivateWhateverTheUmask) {
    const mode_t mask = ::umask(0);
    SettingsStore store(base_ + "/new/base");
    const StartupState st = RunStartupFileSteps(store, kNow);
    ::umask(mask);
    EXPECT_TRUE(st.problems.empty());
    for (const std::string& folder : {base_ + "/new", base_ + "/new/base", store.dataFolder()})
        EXPECT_EQ(ModeOf(folder), 0700) << folder;
    for (const std::string& file : {store.initialPath(), store.optionPath()})
        EXPECT_EQ(ModeOf(file), 0600) << file;
}

TEST_F(DataFolderTest, ASaveKeepsTheFilesPermissionBitsButNeverWidensThem) {
    store_->ensureDataFolder();
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(store_->writeOption(OptionSettings{}));
    ::umask(mask);
    EXPECT_EQ(ModeOf(store_->optionPath()), 0600);  // a new file
    struct stat st {};
    ::stat(store_->optionPath().c_str(), &st);
    // Write for the group only where the group is the user's own private one.
    struct stat groupWritable = st;
    groupWritable.st_mode |= S_IWGRP;
    const mode_t groupWrite = OnlyTheUserMayWrite(groupWritable) ? 0020 : 0;
    const struct {
        mode_t before, after;
    } rows[] = {
        {0600, 0600},
        {0640, 0640},
        {0444, 0444},
        {0644, 0644},
        // In a folder that is the user's alone a file open to others is used,
        // but what replaces it is not open to them.
        {0666, mode_t(0644 | groupWrite)},
        {0664, mode_t(0644 | groupWrite)},
        {0602, 0600},
    };
    for (const auto& row : rows) {
        ::chmod(store_->optionPath().c_str(), row.before);
        OptionSettings o;
        o.smokingYears = int32_t(row.before);
        ASSERT_TRUE(store_->writeOption(o));
        EXPECT_EQ(ModeOf(store_->optionPath()), row.after) << std::oct << row.before;
        EXPECT_EQ(store_->readOption(), o);
    }
}

TEST_F(DataFolderTest, AReplacementInAFolderThatGivesItsGroupKeepsTheOldGroupOrNoGroupBits) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the folder another group";
    store_->ensureDataFolder();
    ASSERT_TRUE(store_->writeOption(OptionSettings{}));
    ::chmod(store_->optionPath().c_str(), 0640);
    // New files in a setgid folder take its group, not the file's.
    ASSERT_EQ(::chown(data().c_str(), ::geteuid(), kOther), 0);
    ::chmod(data().c_str(), 02750);
    struct stat before {};
    ::stat(store_->optionPath().c_str(), &before);
    ASSERT_TRUE(store_->writeOption(OptionSettings{}));
    struct stat after {};
    ::stat(store_->optionPath().c_str(), &after);
    EXPECT_TRUE(after.st_gid == before.st_gid ? (after.st_mode & 0777) == 0640 : (after.st_mode & 0070) == 0)
        << after.st_gid << " " << std::oct << after.st_mode;
}

// Whose files a record folder's files are, by owner and mode and the kind
// of folder they are in: used as the user's own, or refused as a planted
// link is (never read as the user's, never written, the owner named).
enum class FolderKind { Own0700, Sticky1777, Group3775 };
enum class Owner { User, Other };
struct OwnFileCase {
    const char* name;
    FolderKind folder;
    Owner owner;
    mode_t mode;
    bool groupOfTheFolder;  // the file in the folder's group (else the user's own)
    bool hardLinked;        // with a second name elsewhere
    FileProblem problem;    // None: used
};
void PrintTo(const OwnFileCase& c, std::ostream* os) { *os << c.name; }

class WhoseFile : public DataFolderTest, public ::testing::WithParamInterface<OwnFileCase> {};

TEST_P(WhoseFile, OnlyTheUsersOwnFileIsUsed) {
    const OwnFileCase& c = GetParam();
    const bool root = ::geteuid() == 0;
    if (!root && (c.owner == Owner::Other || c.folder == FolderKind::Group3775))
        GTEST_SKIP() << "needs root to act as another user; the process tests do it as one";
    store_->ensureDataFolder();
    const std::string path = store_->initialPath();
    const std::string planted = "2000,1,1,0,0,99,9999,9999\r\n";
    Put(path, planted);
    if (c.hardLinked) fs::create_hard_link(path, base_ + "/second-name");
    // A group nobody's private group is: the share of a group folder.
    const gid_t share = kOther;
    switch (c.folder) {
        case FolderKind::Own0700: ::chmod(data().c_str(), 0700); break;
        case FolderKind::Sticky1777: ::chmod(data().c_str(), 01777); break;
        case FolderKind::Group3775:
            ASSERT_EQ(::chown(data().c_str(), ::geteuid(), share), 0);
            ::chmod(data().c_str(), 03775);
            break;
    }
    if (c.owner == Owner::Other) {
        ASSERT_EQ(::chown(path.c_str(), kOther, kOther), 0);
    }
    if (c.groupOfTheFolder) {
        ASSERT_EQ(::chown(path.c_str(), static_cast<uid_t>(-1), share), 0);
    }
    ::chmod(path.c_str(), c.mode);
    struct stat before {};
    ::stat(path.c_str(), &before);

    const ReadOutcome read = store_->probe(SettingsStore::File::Initial);
    if (c.problem == FileProblem::None) {
        EXPECT_EQ(read.state, ReadOutcome::State::Read) << ProblemText(read.blocked);
        EXPECT_TRUE(store_->readInitial().has_value());
        const FileOutcome saved = store_->writeInitial(InitialSettings{});
        ASSERT_TRUE(saved) << ProblemText(saved);
        struct stat after {};
        ::stat(path.c_str(), &after);
        EXPECT_EQ(after.st_mode & 0777 & ~(before.st_mode & 0777), 0u) << "wider than the file it replaced";
        EXPECT_TRUE(OnlyTheUserMayWrite(after)) << std::oct << after.st_mode;
        return;
    }
    ASSERT_EQ(read.state, ReadOutcome::State::Blocked);
    EXPECT_EQ(read.blocked.problem, c.problem) << ProblemText(read.blocked);
    EXPECT_EQ(read.blocked.path, path);
    if (c.problem == FileProblem::NotYoursFile) {
        EXPECT_NE(ProblemText(read.blocked).find("別のユーザー（nobody）"), std::string::npos)
            << ProblemText(read.blocked);
    }
    EXPECT_FALSE(store_->readInitial().has_value());
    // The start takes the defaults and says why it cannot keep the record.
    const StartupState st = RunStartupFileSteps(*store_, kNow);
    EXPECT_EQ(st.initial, DefaultInitialSettings(kNow));
    ASSERT_FALSE(st.problems.empty());
    EXPECT_EQ(st.problems[0].problem, c.problem);
    // Never written, neither by the store nor by the primitives themselves.
    EXPECT_EQ(store_->writeInitial(InitialSettings{}).problem, c.problem);
    EXPECT_EQ(WriteFileAtomicallyAt(store_->folder()->fd(), data(), "initial.ini", "x").problem, c.problem);
    std::string kept;
    EXPECT_EQ(KeepCopyAt(store_->folder()->fd(), data(), "initial.ini", ".copy", kept).problem, c.problem);
    EXPECT_EQ(Slurp(path), planted);
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(Entries(data()), (std::vector<std::string>{"initial.ini", "option.ini"}));
}

constexpr FileProblem kUsed = FileProblem::None;
constexpr FileProblem kNotYours = FileProblem::NotYoursFile;
constexpr FileProblem kOpen = FileProblem::OpenToOthersFile;
using FK = FolderKind;

INSTANTIATE_TEST_SUITE_P(
    RecordFile, WhoseFile,
    ::testing::Values(
        // The user's private or readable file: used in any folder it may stand in.
        OwnFileCase{"own_folder_users_0600", FK::Own0700, Owner::User, 0600, false, false, kUsed},
        OwnFileCase{"own_folder_users_0644", FK::Own0700, Owner::User, 0644, false, false, kUsed},
        OwnFileCase{"sticky_folder_users_0600", FK::Sticky1777, Owner::User, 0600, false, false, kUsed},
        OwnFileCase{"sticky_folder_users_0644", FK::Sticky1777, Owner::User, 0644, false, false, kUsed},
        OwnFileCase{"group_folder_users_0640", FK::Group3775, Owner::User, 0640, true, false, kUsed},
        // The user's file others may write: used only where nobody else can
        // have put or changed it.
        OwnFileCase{"own_folder_users_0666", FK::Own0700, Owner::User, 0666, false, false, kUsed},
        OwnFileCase{"own_folder_users_0660_shared_group", FK::Own0700, Owner::User, 0660, true, false, kUsed},
        OwnFileCase{"sticky_folder_users_0666", FK::Sticky1777, Owner::User, 0666, false, false, kOpen},
        OwnFileCase{"sticky_folder_users_0646", FK::Sticky1777, Owner::User, 0646, false, false, kOpen},
        OwnFileCase{"group_folder_users_0660", FK::Group3775, Owner::User, 0660, true, false, kOpen},
        OwnFileCase{"group_folder_users_0666", FK::Group3775, Owner::User, 0666, true, false, kOpen},
        // The user's file with a second name somebody may have given it.
        OwnFileCase{"own_folder_users_hard_linked", FK::Own0700, Owner::User, 0600, false, true, kUsed},
        OwnFileCase{"sticky_folder_users_hard_linked", FK::Sticky1777, Owner::User, 0600, false, true,
                    FileProblem::SharedHardLink},
        // Another user's file, whatever its mode and wherever it stands.
        OwnFileCase{"own_folder_others_0644", FK::Own0700, Owner::Other, 0644, false, false, kNotYours},
        OwnFileCase{"sticky_folder_others_0666", FK::Sticky1777, Owner::Other, 0666, false, false, kNotYours},
        OwnFileCase{"sticky_folder_others_0644", FK::Sticky1777, Owner::Other, 0644, false, false, kNotYours},
        OwnFileCase{"group_folder_others_0660", FK::Group3775, Owner::Other, 0660, true, false, kNotYours},
        OwnFileCase{"group_folder_others_0666", FK::Group3775, Owner::Other, 0666, true, false, kNotYours}),
    [](const auto& info) { return std::string(info.param.name); });

// A record that does not read as a whole: its bytes survive the save that replaces it.
struct UnreadableCase {
    const char* name;
    std::string bytes;
};
void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.name; }

class KeptBeforeReplaced : public DataFolderTest, public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(KeptBeforeReplaced, TheOldBytesAreKeptBesideItOnce) {
    const UnreadableCase& c = GetParam();
    store_->ensureDataFolder();
    for (const char* file : {"/initial.ini", "/option.ini"}) {
        Put(data() + file, c.bytes);
        ::chmod((data() + file).c_str(), 0600);
    }
    const StartupState st = RunStartupFileSteps(*store_, kNow);
    EXPECT_EQ(st.initial, DefaultInitialSettings(kNow));  // the defaults, as for any unreadable record
    EXPECT_EQ(st.first, FirstWindow::FirstRunSetup);
    EXPECT_EQ(Slurp(store_->initialPath()), c.bytes);  // the start writes nothing over it
    for (const bool initial : {true, false}) {
        const std::string path = initial ? store_->initialPath() : store_->optionPath();
        const FileOutcome saved = initial ? store_->writeInitial(DefaultInitialSettings(kNow))
                                          : store_->writeOption(DefaultOptionSettings());
        ASSERT_TRUE(saved);
        const std::string kept = path + ".unreadable" + kStamp;
        EXPECT_EQ(Slurp(kept), c.bytes);
        EXPECT_EQ(ModeOf(kept), 0600);
        EXPECT_NE(saved.note.find(kept), std::string::npos) << saved.note;
    }
    // The next saves replace records that read: nothing more is kept.
    EXPECT_TRUE(store_->writeInitial(InitialSettings{}).note.empty());
    EXPECT_EQ(Entries(data()).size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    RecordFile, KeptBeforeReplaced,
    ::testing::Values(UnreadableCase{"byte_order_mark", "\xEF\xBB\xBF" + std::string(kRecord)},
                      UnreadableCase{"nul_bytes", std::string(40, '\0')},
                      UnreadableCase{"nul_in_a_number", std::string("2014,3,1\0"
                                                                    "4,21,5,20,300,85\r\n",
                                                                    26)},
                      UnreadableCase{"ends_early", "2014,3,14"},
                      UnreadableCase{"binary_over_a_megabyte", std::string(3 << 20, '\xFF')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataFolderTest, AQuitMomentThatReadIsKeptWhenTheSetupRunsAgainForAnUnreadableOptionFile) {
    store_->ensureDataFolder();
    Put(store_->initialPath(), kRecord);
    Put(store_->optionPath(), std::string(20, '\0'));
    const StartupState st = RunStartupFileSteps(*store_, kNow);
    ASSERT_EQ(st.first, FirstWindow::FirstRunSetup);
    // The ceremony's start writes both files, the quit moment first.
    const FileOutcome initial = store_->writeInitial(DefaultInitialSettings(kNow));
    ASSERT_TRUE(initial);
    ASSERT_TRUE(store_->writeOption(DefaultOptionSettings()));
    EXPECT_EQ(Slurp(store_->initialPath() + ".before-setup" + kStamp), kRecord);
    EXPECT_EQ(Slurp(store_->optionPath() + ".unreadable" + kStamp), std::string(20, '\0'));
    EXPECT_FALSE(initial.note.empty());
}

TEST_F(DataFolderTest, AKeptCopyIsMadeLikeEveryFileOfOursOrTheSaveWaits) {
    store_->ensureDataFolder();
    Put(store_->initialPath(), "garbage");
    // A link planted at the kept copy's name is neither followed nor replaced.
    Put(base_ + "/notes", "my notes");
    const std::string first = store_->initialPath() + ".unreadable" + kStamp;
    fs::create_symlink(base_ + "/notes", first);
    ASSERT_TRUE(store_->writeInitial(InitialSettings{}));
    EXPECT_EQ(Slurp(base_ + "/notes"), "my notes");
    EXPECT_TRUE(fs::is_symlink(first));
    EXPECT_EQ(Slurp(first + "-2"), "garbage");
    // No room for the copy: the file it would have kept is not replaced either.
    Put(store_->optionPath(), std::string(4096, 'x'));
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny{1024, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const FileOutcome save = store_->writeOption(OptionSettings{});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(save.problem, FileProblem::NoSpace);
    EXPECT_EQ(Slurp(store_->optionPath()), std::string(4096, 'x'));
    EXPECT_FALSE(fs::exists(store_->optionPath() + ".unreadable" + kStamp));
}

}  // namespace
}  // namespace kemless

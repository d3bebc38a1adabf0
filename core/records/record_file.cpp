#include "records/record_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

namespace kemless {
namespace {

// A record line is about a hundred bytes; only the start of a file is read,
// and a file far beyond any record is no record at all.
constexpr size_t kMaxReadBytes = 1 << 20;
constexpr off_t kMaxRecordFileBytes = off_t{64} << 20;
// As many links as the kernel follows before it says ELOOP.
constexpr int kMaxLinks = 40;
// The random part of a temporary file's name.
constexpr size_t kSuffixLength = 8;
// Taken before a kept copy's name is given up on.
constexpr int kKeptNameTries = 99;
constexpr const char* kTrialName = ".kemless-trial";

FileOutcome Failed(FileProblem problem, int error, const std::string& path) {
    return {problem, error, path, {}};
}
FileOutcome FailedErrno(const std::string& path) {
    const int error = errno;
    return Failed(ProblemOfErrno(error), error, path);
}

// Writes all of `bytes`, retrying after signals; false with errno set.
bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// A new file in `dir` beside `target` whose name nobody can guess: O_EXCL
// and O_NOFOLLOW refuse anything that already stands at the name, a planted
// link above all.
int CreateTemporary(int dir, const std::string& target, mode_t mode, std::string& name) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[kSuffixLength];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            // No entropy yet is no reason to lose a save: the process and the
            // attempt make the name unique, O_EXCL makes it safe.
            for (size_t i = 0; i < sizeof random; ++i)
                random[i] = static_cast<unsigned char>((::getpid() >> (i * 3)) + attempt * 7 + i);
        }
        std::string suffix;
        for (unsigned char r : random) suffix += kLetters[r % (sizeof kLetters - 1)];
        name = target + "." + suffix + ".tmp";
        const int fd =
            ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// A save or a trial killed between making its temporary file and removing
// or renaming it leaves that file behind. The next one clears such leftovers
// away, so they never pile up: only plain files of this user with exactly
// the shape CreateTemporary gives (a link is removed by nobody here).
void RemoveLeftovers(int dirFd, const std::string& target) {
    const std::string prefix = target + ".";
    // A description of its own: reading the entries moves no offset of `dirFd`.
    const int own = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) return;
    DIR* dir = ::fdopendir(own);
    if (dir == nullptr) {
        ::close(own);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + kSuffixLength + 4 || name.substr(0, prefix.size()) != prefix ||
            name.substr(name.size() - 4) != ".tmp")
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid())
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace

std::string FileTarget::path() const { return JoinPath(dirPath, name); }

FileOutcome ResolveFileTarget(int dir, const std::string& dirPath, const std::string& name, FileTarget& t) {
    t.owned.reset();
    t.dir = dir;
    t.dirPath = dirPath;
    t.name = name;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (::fstatat(t.dir, t.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) return {};  // a new file, or a dangling link's target to make
            return FailedErrno(t.path());
        }
        if (!S_ISLNK(st.st_mode)) return {};
        // A link somebody else put in the folder must not aim our save at
        // one of the user's files; the user's own link (dotfiles) is followed.
        if (st.st_uid != ::geteuid()) return Failed(FileProblem::ForeignLink, 0, t.path());
        std::string to(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlinkat(t.dir, t.name.c_str(), to.data(), to.size());
        if (n < 0) return FailedErrno(t.path());
        to.resize(static_cast<size_t>(n));
        const size_t slash = to.rfind('/');
        if (slash == std::string::npos) {
            t.name = to;
            continue;
        }
        const std::string folder = slash == 0 ? "/" : to.substr(0, slash);
        std::string leaf = to.substr(slash + 1);
        const std::string folderPath = JoinPath(t.dirPath, folder);
        if (leaf.empty()) return Failed(FileProblem::NotAFile, EISDIR, JoinPath(t.dirPath, to));
        const int next = ::openat(t.dir, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) return FailedErrno(folderPath);
        t.owned.reset(next);
        t.dir = next;
        t.dirPath = folderPath;
        t.name = std::move(leaf);
    }
    return Failed(FileProblem::LinkLoop, ELOOP, JoinPath(dirPath, name));
}

namespace {

// The open folder of a path; its links are followed, as the user named them.
Descriptor OpenFolderOf(const std::string& path) {
    return Descriptor(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// Reads all of an open regular file; false with errno set.
bool ReadAll(int fd, std::string& out, size_t limit) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > limit) return true;
    }
}

// Writes a whole new file's bytes and makes them durable; the descriptor is
// closed either way. False with errno set.
bool FillAndClose(int fd, std::string_view bytes) {
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int saved = errno;
    if (::close(fd) != 0 && ok) return false;
    errno = saved;
    return ok;
}

}  // namespace

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

Descriptor::~Descriptor() { reset(); }

int Descriptor::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void Descriptor::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

FileProblem ProblemOfErrno(int error) {
    // ENXIO and ENODEV: a socket, or a FIFO opened for writing with no reader.
    static constexpr std::pair<int, FileProblem> kProblems[] = {
        {EACCES, FileProblem::NoPermission},      {EPERM, FileProblem::NoPermission},
        {ELOOP, FileProblem::LinkLoop},           {ENOSPC, FileProblem::NoSpace},
        {EDQUOT, FileProblem::NoSpace},           {EFBIG, FileProblem::NoSpace},
        {EROFS, FileProblem::ReadOnly},           {EISDIR, FileProblem::NotAFile},
        {ENXIO, FileProblem::NotAFile},           {ENODEV, FileProblem::NotAFile},
        {ENOTDIR, FileProblem::NotAFolder},       {ENOENT, FileProblem::NoFolder},
        {ENAMETOOLONG, FileProblem::NameTooLong}, {EEXIST, FileProblem::NotAFolder}};
    for (const auto& [e, problem] : kProblems)
        if (e == error) return problem;
    return FileProblem::Other;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!name.empty() && name.front() == '/') return name;
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string ProblemText(const FileOutcome& outcome) {
    // In the order of FileProblem; Other names its errno instead.
    static constexpr const char* kTexts[] = {
        "問題はありません",
        "読み書きする権限がありません（別のユーザーのファイルかもしれません）",
        "普通のファイルではありません（フォルダ、名前付きパイプ、デバイスなど）",
        "リンクが循環しています",
        "別のユーザーが作ったリンクです",
        "記録のファイルとしては大きすぎます",
        "ディスクの空き容量が足りません",
        "読み込み専用のディスクです",
        "フォルダがありません",
        "フォルダではありません（同じ名前のファイルがあるかもしれません）",
        "名前が長すぎます",
        "別のユーザーのフォルダです",
        "ほかのユーザーも書き込めるフォルダです",
    };
    static_assert(std::size(kTexts) == static_cast<size_t>(FileProblem::Other));
    const auto index = static_cast<size_t>(outcome.problem);
    if (index < std::size(kTexts)) return kTexts[index];
    return "読み書きできません（エラー番号 " + std::to_string(outcome.error) + "）";
}

ReadOutcome ReadRecordFileAt(int dir, const std::string& dirPath, const std::string& name) {
    return ReadRegularFileAt(dir, dirPath, name, kMaxRecordFileBytes, kMaxReadBytes);
}

ReadOutcome ReadRegularFileAt(int dir, const std::string& dirPath, const std::string& name,
                              off_t maxFileBytes, size_t maxReadBytes) {
    ReadOutcome out;
    const std::string path = JoinPath(dirPath, name);
    auto blocked = [&out](FileOutcome why) {
        out.state = ReadOutcome::State::Blocked;
        out.blocked = std::move(why);
        return out;
    };
    FileTarget t;
    if (FileOutcome links = ResolveFileTarget(dir, dirPath, name, t); !links) {
        // A link into a folder that is not there: missing.
        if (links.problem == FileProblem::NoFolder || links.problem == FileProblem::NotAFolder) return out;
        return blocked(links);
    }
    // O_NONBLOCK: a FIFO at the name opens at once instead of waiting for a
    // writer; O_NOFOLLOW: the links were resolved and checked above.
    const Descriptor fd(
        ::openat(t.dir, t.name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) {
        // Nothing there: a missing record.
        if (errno == ENOENT || errno == ENOTDIR) return out;
        return blocked(FailedErrno(path));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return blocked(FailedErrno(path));
    if (!S_ISREG(st.st_mode)) return blocked(Failed(FileProblem::NotAFile, 0, path));
    if (st.st_size > maxFileBytes) return blocked(Failed(FileProblem::TooLarge, 0, path));
    // A record's first line is all that matters: a long file is cut rather than read whole.
    if (!ReadAll(fd.get(), out.bytes, maxReadBytes)) return blocked(FailedErrno(path));
    out.state = ReadOutcome::State::Read;
    out.owner = st.st_uid;
    out.mode = st.st_mode;
    return out;
}

FileOutcome WriteFileAtomicallyAt(int dir, const std::string& dirPath, const std::string& name,
                                  std::string_view bytes) {
    FileTarget t;
    if (FileOutcome links = ResolveFileTarget(dir, dirPath, name, t); !links) return links;
    RemoveLeftovers(t.dir, t.name);
    // Only a file (or nothing) is ever replaced: a folder, FIFO or device
    // standing at the name is somebody's, not a record.
    struct stat old {};
    const bool existed = ::fstatat(t.dir, t.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (existed && !S_ISREG(old.st_mode)) return Failed(FileProblem::NotAFile, 0, JoinPath(dirPath, name));
    std::string tmp;
    // Private until it has the old file's bits: a record kept 0600 is never
    // readable by others for a moment.
    const int fd = CreateTemporary(t.dir, t.name, existed ? 0600 : 0644, tmp);
    if (fd < 0) return FailedErrno(t.dirPath);
    FileOutcome result;
    if (existed && ::fchmod(fd, old.st_mode & 0777) != 0) {
        result = FailedErrno(t.dirPath);
        ::close(fd);
    } else if (!FillAndClose(fd, bytes)) {
        result = FailedErrno(t.dirPath);
    }
    if (result) {
        struct stat st {};
        if (::fstatat(t.dir, t.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
            result = Failed(FileProblem::NotAFile, 0, JoinPath(dirPath, name));
        else if (::renameat(t.dir, tmp.c_str(), t.dir, t.name.c_str()) != 0)
            result = FailedErrno(t.path());
    }
    if (!result) {
        ::unlinkat(t.dir, tmp.c_str(), 0);
        return result;
    }
    ::fsync(t.dir);  // make the rename itself durable
    return result;
}

FileOutcome KeepCopyAt(int dir, const std::string& dirPath, const std::string& name,
                       const std::string& suffix, std::string& kept) {
    FileTarget t;
    if (FileOutcome links = ResolveFileTarget(dir, dirPath, name, t); !links) return links;
    const std::string path = JoinPath(dirPath, name);
    const Descriptor in(
        ::openat(t.dir, t.name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (!in.valid()) return FailedErrno(path);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return FailedErrno(path);
    if (!S_ISREG(st.st_mode)) return Failed(FileProblem::NotAFile, 0, path);
    if (st.st_size > kMaxRecordFileBytes) return Failed(FileProblem::TooLarge, 0, path);
    std::string bytes;
    if (!ReadAll(in.get(), bytes, static_cast<size_t>(kMaxRecordFileBytes))) return FailedErrno(path);
    for (int attempt = 1; attempt <= kKeptNameTries; ++attempt) {
        std::string keptName = t.name + suffix;
        if (attempt > 1) keptName.append("-").append(std::to_string(attempt));
        const int fd =
            ::openat(t.dir, keptName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return FailedErrno(t.dirPath);
        const bool modeKept = ::fchmod(fd, st.st_mode & 0777) == 0;
        if (!modeKept) ::close(fd);
        if (!modeKept || !FillAndClose(fd, bytes)) {
            const FileOutcome why = FailedErrno(t.dirPath);
            ::unlinkat(t.dir, keptName.c_str(), 0);
            return why;
        }
        ::fsync(t.dir);
        kept = JoinPath(t.dirPath, keptName);
        return {};
    }
    return Failed(FileProblem::Other, EEXIST, t.dirPath);
}

FileOutcome TrialWriteFor(int dir, const std::string& dirPath, const std::string& name, size_t size,
                          std::vector<std::pair<dev_t, ino_t>>& tried) {
    FileTarget t;
    if (FileOutcome links = ResolveFileTarget(dir, dirPath, name, t); !links) return links;
    struct stat st {};
    if (::fstat(t.dir, &st) != 0) return FailedErrno(t.dirPath);
    const std::pair<dev_t, ino_t> folder{st.st_dev, st.st_ino};
    if (std::find(tried.begin(), tried.end(), folder) != tried.end()) return {};
    tried.push_back(folder);
    RemoveLeftovers(t.dir, kTrialName);
    std::string tmp;
    const int fd = CreateTemporary(t.dir, kTrialName, 0600, tmp);
    if (fd < 0) return FailedErrno(t.dirPath);
    FileOutcome result;
    if (!FillAndClose(fd, std::string(size, ' '))) result = FailedErrno(t.dirPath);
    ::unlinkat(t.dir, tmp.c_str(), 0);
    return result;
}

ReadOutcome ReadRecordFile(const std::string& path) {
    const Descriptor dir = OpenFolderOf(path);
    if (!dir.valid()) {
        ReadOutcome out;
        if (errno == ENOENT || errno == ENOTDIR) return out;
        out.state = ReadOutcome::State::Blocked;
        out.blocked = FailedErrno(FolderOf(path));
        return out;
    }
    return ReadRecordFileAt(dir.get(), FolderOf(path), NameOf(path));
}

FileOutcome WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const Descriptor dir = OpenFolderOf(path);
    if (!dir.valid()) return FailedErrno(FolderOf(path));
    return WriteFileAtomicallyAt(dir.get(), FolderOf(path), NameOf(path), bytes);
}

}  // namespace kemless

#include "records/record_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

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

FileProblem ProblemOfErrno(int error) {
    // ENXIO and ENODEV: a socket, or a FIFO opened for writing with no reader.
    static constexpr std::pair<int, FileProblem> kProblems[] = {
        {EACCES, FileProblem::NoPermission}, {EPERM, FileProblem::NoPermission},
        {ELOOP, FileProblem::LinkLoop},      {ENOSPC, FileProblem::NoSpace},
        {EDQUOT, FileProblem::NoSpace},      {EFBIG, FileProblem::NoSpace},
        {EROFS, FileProblem::ReadOnly},      {EISDIR, FileProblem::NotAFile},
        {ENXIO, FileProblem::NotAFile},      {ENODEV, FileProblem::NotAFile},
        {ENOTDIR, FileProblem::NoFolder},    {ENOENT, FileProblem::NoFolder}};
    for (const auto& [e, problem] : kProblems)
        if (e == error) return problem;
    return FileProblem::Other;
}

FileOutcome Failed(FileProblem problem, int error, const std::string& path) { return {problem, error, path}; }
FileOutcome FailedErrno(const std::string& path) {
    const int error = errno;
    return Failed(ProblemOfErrno(error), error, path);
}

std::string Join(const std::string& folder, const std::string& name) {
    if (!name.empty() && name.front() == '/') return name;
    return folder == "/" ? "/" + name : folder + "/" + name;
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

// A new file beside `target` whose name nobody can guess: O_EXCL and
// O_NOFOLLOW refuse anything that already stands at the name, a planted link
// above all. The file gets the mode a plain new file gets (0644 less umask).
int CreateTemporary(const std::string& target, std::string& name) {
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
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A save killed between making its temporary file and renaming it leaves
// that file behind. The next save of the same file clears such leftovers
// away, so they never pile up: only plain files of this user with exactly
// the shape CreateTemporary gives (a link is removed by nobody here).
void RemoveLeftovers(const std::string& target) {
    const std::string prefix = NameOf(target) + ".";
    DIR* dir = ::opendir(FolderOf(target).c_str());
    if (dir == nullptr) return;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + kSuffixLength + 4 || name.substr(0, prefix.size()) != prefix ||
            name.substr(name.size() - 4) != ".tmp")
            continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid())
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

void SyncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
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
        "フォルダがありません（同じ名前のファイルがあるかもしれません）",
    };
    static_assert(std::size(kTexts) == static_cast<size_t>(FileProblem::Other));
    const auto index = static_cast<size_t>(outcome.problem);
    if (index < std::size(kTexts)) return kTexts[index];
    return "読み書きできません（エラー番号 " + std::to_string(outcome.error) + "）";
}

FileOutcome ResolveSaveTarget(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return {};  // a new file, or a dangling link's target to make
            return FailedErrno(target);
        }
        if (!S_ISLNK(st.st_mode)) return {};
        // A link somebody else put in the folder must not aim our save at
        // one of the user's files; the user's own link (dotfiles) is followed.
        if (st.st_uid != ::geteuid()) return Failed(FileProblem::ForeignLink, 0, target);
        std::string to(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), to.data(), to.size());
        if (n < 0) return FailedErrno(target);
        to.resize(static_cast<size_t>(n));
        target = Join(FolderOf(target), to);
    }
    return Failed(FileProblem::LinkLoop, ELOOP, path);
}

ReadOutcome ReadRecordFile(const std::string& path) {
    ReadOutcome out;
    auto blocked = [&out](FileOutcome why) {
        out.state = ReadOutcome::State::Blocked;
        out.blocked = std::move(why);
        return out;
    };
    std::string target;
    if (FileOutcome links = ResolveSaveTarget(path, target); !links) {
        if (links.problem == FileProblem::NoFolder) return out;  // a link into nowhere: missing
        return blocked(links);
    }
    // O_NONBLOCK: a FIFO at the name opens at once instead of waiting for a
    // writer; O_NOFOLLOW: the links were resolved and checked above.
    const int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        // Nothing there, or no folder above it: a missing record.
        if (errno == ENOENT || errno == ENOTDIR) return out;
        return blocked(FailedErrno(path));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const FileOutcome why = FailedErrno(path);
        ::close(fd);
        return blocked(why);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return blocked(Failed(FileProblem::NotAFile, 0, path));
    }
    if (st.st_size > kMaxRecordFileBytes) {
        ::close(fd);
        return blocked(Failed(FileProblem::TooLarge, 0, path));
    }
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const FileOutcome why = FailedErrno(path);
            ::close(fd);
            return blocked(why);
        }
        if (n == 0) break;
        out.bytes.append(buf, static_cast<size_t>(n));
        // Only the first line matters; a long file is cut rather than read whole.
        if (out.bytes.size() > kMaxReadBytes) break;
    }
    ::close(fd);
    out.state = ReadOutcome::State::Read;
    return out;
}

FileOutcome WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::string target;
    if (FileOutcome links = ResolveSaveTarget(path, target); !links) return links;
    RemoveLeftovers(target);
    std::string tmp;
    const int fd = CreateTemporary(target, tmp);
    if (fd < 0) return FailedErrno(FolderOf(target));
    FileOutcome result;
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) result = FailedErrno(FolderOf(target));
    if (::close(fd) != 0 && result) result = FailedErrno(FolderOf(target));
    if (result) {
        struct stat st {};
        // Only a file (or nothing) is ever replaced: a folder, FIFO or device
        // standing at the name is somebody's, not a record.
        if (::lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            result = Failed(FileProblem::NotAFile, 0, path);
        else if (::rename(tmp.c_str(), target.c_str()) != 0)
            result = FailedErrno(target);
    }
    if (!result) {
        ::unlink(tmp.c_str());
        return result;
    }
    SyncFolder(FolderOf(target));  // make the rename itself durable
    return result;
}

FileOutcome TrialWrite(const std::string& folder, size_t size) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Failed(FileProblem::NoFolder, ENOTDIR, folder);
    std::string tmp;
    const int fd = CreateTemporary(Join(folder, ".kemless-trial"), tmp);
    if (fd < 0) return FailedErrno(folder);
    FileOutcome result;
    if (!WriteAll(fd, std::string(size, ' ')) || ::fsync(fd) != 0) result = FailedErrno(folder);
    if (::close(fd) != 0 && result) result = FailedErrno(folder);
    ::unlink(tmp.c_str());
    return result;
}

}  // namespace kemless

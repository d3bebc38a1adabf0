#include "records/data_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kemless {
namespace {

// As many links as the kernel follows before it says ELOOP.
constexpr int kMaxLinks = 40;

// The record is the user's alone: every folder made for it is private.
constexpr mode_t kNewFolderMode = 0700;

FileOutcome CheckOwnFolder(const struct stat& st, DataFolder::Trust trust, const std::string& path) {
    if (st.st_uid != ::geteuid()) return Failed(FileProblem::NotYours, 0, path);
    const bool sticky = (st.st_mode & S_ISVTX) != 0 && trust == DataFolder::Trust::Own;
    if (!OnlyTheUserMayWrite(st) && !sticky) return Failed(FileProblem::OpenToOthers, 0, path);
    return {};
}

}  // namespace

DataFolder DataFolder::Open(const std::string& path, Create create, Trust trust, FileOutcome& why) {
    why = {};
    const std::string above = FolderOf(path);
    // Errors are left to the open below, which says them.
    if (create == Create::Yes) (void)MakeFolders(above, kNewFolderMode);
    // The folder above is the one the user named: its links are theirs.
    Descriptor owned(::open(above.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!owned.valid()) {
        const int e = errno;
        why = Failed(ProblemOfErrno(e), e, above);
        return {};
    }
    int dir = owned.get();
    std::string dirPath = above;
    std::string name = NameOf(path);
    int madeError = 0;
    if (create == Create::Yes && ::mkdirat(dir, name.c_str(), kNewFolderMode) != 0 && errno != EEXIST)
        madeError = errno;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        const std::string here = JoinPath(dirPath, name);
        Descriptor fd(::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.valid()) {
            struct stat st {};
            if (::fstat(fd.get(), &st) != 0) {
                why = Failed(ProblemOfErrno(errno), errno, path);
                return {};
            }
            why = CheckOwnFolder(st, trust, path);
            if (!why) return {};
            return DataFolder(std::move(fd), path);
        }
        const int e = errno;
        struct stat st {};
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // Nothing there (or not even a way to look): why it was not made
            // says more than that it is missing.
            const int reason = madeError != 0 && errno == ENOENT ? madeError : errno;
            why = Failed(ProblemOfErrno(reason), reason, here);
            return {};
        }
        if (!S_ISLNK(st.st_mode)) {
            why = Failed(ProblemOfErrno(e), e, path);
            return {};
        }
        // The user's own link (to a folder on a stick, say) is followed;
        // one that somebody else planted never is.
        if (st.st_uid != ::geteuid()) {
            why = Failed(FileProblem::ForeignLink, 0, path);
            return {};
        }
        std::string to(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlinkat(dir, name.c_str(), to.data(), to.size());
        if (n <= 0) {
            why = Failed(ProblemOfErrno(errno), errno, path);
            return {};
        }
        to.resize(static_cast<size_t>(n));
        while (to.size() > 1 && to.back() == '/') to.pop_back();
        const size_t slash = to.rfind('/');
        if (slash == std::string::npos) {
            name = to;
            continue;
        }
        const std::string folder = slash == 0 ? "/" : to.substr(0, slash);
        const int next = ::openat(dir, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) {
            why = Failed(ProblemOfErrno(errno), errno, JoinPath(dirPath, folder));
            return {};
        }
        dirPath = JoinPath(dirPath, folder);
        name = slash + 1 < to.size() ? to.substr(slash + 1) : ".";
        owned.reset(next);
        dir = next;
    }
    why = Failed(FileProblem::LinkLoop, ELOOP, path);
    return {};
}

bool DataFolder::stillThere() const {
    struct stat st {};
    return held() && ::fstat(fd(), &st) == 0 && st.st_nlink > 0;
}

}  // namespace kemless

#pragma once
// The file-system half of the record: reading a record file without ever
// waiting on or trusting what stands at its name, and replacing one so that
// neither a crash, a full disk nor a link someone planted can eat it. Every
// operation works relative to an open folder, so a folder renamed or swapped
// for a link while the program runs never redirects it. Only the user's own
// files are used: what another user put at a name is never read as the
// user's nor written to, and what we make is private.
#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kemless {

// Why a record file or its folder cannot be read or kept.
enum class FileProblem {
    None,
    NoPermission,      // EACCES, EPERM
    NotAFile,          // a folder, FIFO, device or socket stands at the name
    LinkLoop,          // ELOOP: links that lead round in a circle
    ForeignLink,       // a link that another user made: never followed
    TooLarge,          // far larger than any record could be
    NoSpace,           // ENOSPC, EDQUOT, EFBIG (a full disk or quota)
    ReadOnly,          // EROFS
    NoFolder,          // ENOENT: the folder is missing
    NotAFolder,        // ENOTDIR: a file (or anything else) stands where a folder should
    NameTooLong,       // ENAMETOOLONG
    NotYours,          // a folder another user owns
    OpenToOthers,      // a folder others may write in (and not sticky)
    NotYoursFile,      // a file another user owns (FileOutcome::owner says who)
    OpenToOthersFile,  // a file of the user's that others may write, in a folder not the user's alone
    SharedHardLink,    // a file with other names too, in a folder not the user's alone
    Other,             // anything else; the errno says more
};

// Returned by every write: a caller says what it does with a failure.
struct [[nodiscard]] FileOutcome {
    FileProblem problem = FileProblem::None;
    int error = 0;     // the errno behind it, where there was one
    std::string path;  // the file or folder it concerns
    // A save that kept the old bytes it replaced first (they did not read as
    // a record): one line saying where; empty otherwise.
    std::string note;
    uid_t owner = 0;  // NotYoursFile: the file's owner

    explicit operator bool() const { return problem == FileProblem::None; }
};

FileProblem ProblemOfErrno(int error);
// A failure of `path`, and one from the errno of the call that just failed.
FileOutcome Failed(FileProblem problem, int error, const std::string& path);
FileOutcome FailedErrno(const std::string& path);
// mkdir -p: every missing folder on the way made with `mode` (less the umask).
FileOutcome MakeFolders(const std::string& path, mode_t mode);

// The Japanese words for a problem, for the messages that name it; a file
// another user owns is said with that user's name.
std::string ProblemText(const FileOutcome& outcome);

// Whether nobody but this user (geteuid) may write in the file or folder
// `st` describes: the user owns it, others may not write, and the group may
// only when it is the user's own private group (the user's primary group,
// naming no other member, as a umask of 002 with a group per user gives).
bool OnlyTheUserMayWrite(const struct stat& st);

// Whether an open file (`file`, its fstat) in the open folder `dir` may be
// used as the user's own: owned by this user (geteuid), and, unless the
// folder is the user's alone (OnlyTheUserMayWrite), neither writable by
// group or others nor linked under another name. None, or NotYoursFile
// (with `owner` set), OpenToOthersFile or SharedHardLink for `path`. Every
// read and write below applies it; code that opens a file itself (an
// append-only journal) calls it on the descriptor's fstat before it reads
// or writes a byte.
FileOutcome CheckOwnFile(int dir, const struct stat& file, const std::string& path);

struct ReadOutcome {
    enum class State { Read, Missing, Blocked } state = State::Missing;
    std::string bytes;    // Read: the file's first bytes (a record is one short line)
    FileOutcome blocked;  // Blocked: why
    uid_t owner = 0;      // Read: the file's owner and mode
    mode_t mode = 0;
};

// An open file descriptor, closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// Everything below takes an open folder `dir`, the path that names it in
// messages (`dirPath`) and a plain file name in it. A link at the name is
// followed when it is the user's own (a dotfiles link stays a link, and a
// save lands beside its target); one another user made never is.

// Where a file of that name is read and written: the name itself, or the
// final target of the user's own link, held by its folder so nothing renamed
// on the way moves it. Missing files resolve too (a new file, or a dangling
// link's target to make); a link another user made, a loop or a folder on
// the way that cannot be opened does not.
struct FileTarget {
    Descriptor owned;  // the folder of a link's target, when it is not `dir`
    int dir = -1;
    std::string dirPath;
    std::string name;
    std::string path() const;
};
FileOutcome ResolveFileTarget(int dir, const std::string& dirPath, const std::string& name,
                              FileTarget& target);

// Reads a regular file of at most `maxFileBytes` (larger is TooLarge), its
// first `maxReadBytes` (a few more may come), the way a record is read below:
// a file CheckOwnFile refuses is Blocked, never read.
ReadOutcome ReadRegularFileAt(int dir, const std::string& dirPath, const std::string& name,
                              off_t maxFileBytes, size_t maxReadBytes);

// Reads a record file. Only a regular file is a record: it is opened without
// blocking (a FIFO never holds the program up) and checked with fstat before
// a byte is read. Missing means nothing stands at the name (ENOENT, a
// dangling link included); anything else that stands there and cannot be
// read is Blocked.
ReadOutcome ReadRecordFileAt(int dir, const std::string& dirPath, const std::string& name);

// Replaces the file (or the target of the user's own link) with `bytes`: a
// temporary file with a name no one can predict, made with
// O_CREAT|O_EXCL|O_NOFOLLOW beside the target, written, synced and renamed
// over it, then the folder synced. A file CheckOwnFile refuses is not
// replaced. The new file keeps the old one's permission bits, less write for
// others and for a group that is not the user's own, and its group where it
// can (else it drops the group's bits): never wider than the file it
// replaces. A new file is 0600. On any failure the old file is untouched and
// no temporary file is left. Temporary files that a killed save left beside
// the target are removed first: only names of exactly the form this program
// makes (`name`.kemless-XXXXXXXX.tmp, eight letters or digits), plain files
// of this user.
FileOutcome WriteFileAtomicallyAt(int dir, const std::string& dirPath, const std::string& name,
                                  std::string_view bytes);

// Copies the file at `name` byte for byte to a new file beside it (beside
// the target of the user's own link) named `name` + `suffix`, or with "-2",
// "-3", … after it when that is taken; made like every file of ours (never
// through anything standing at the name) with the old file's permission
// bits as a replacement gets them. Only a file CheckOwnFile accepts is
// copied. `kept` is the new file's path.
FileOutcome KeepCopyAt(int dir, const std::string& dirPath, const std::string& name,
                       const std::string& suffix, std::string& kept);

// Proves the folder a save of `name` lands in (beside the target of the
// user's own link) can take `size` bytes right now: a temporary file of that
// size is made, synced and removed; trial files a killed start left there
// are removed first. A full disk, a read-only file system or missing rights
// show here before anybody types a setting. A folder already in `tried`
// (device and inode) is not tried again; this one is added.
FileOutcome TrialWriteFor(int dir, const std::string& dirPath, const std::string& name, size_t size,
                          std::vector<std::pair<dev_t, ino_t>>& tried);

// The same, for a file named by its path: its folder is opened first (links
// on the way followed, as the user named it). A read by path also takes a
// file of the system's (owned by root, as the system-wide entries an
// administrator installs are); it is never written.
ReadOutcome ReadRecordFile(const std::string& path);
FileOutcome WriteFileAtomically(const std::string& path, std::string_view bytes);

std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
// `name` inside `folder`; an absolute `name` stands for itself.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace kemless

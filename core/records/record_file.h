#pragma once
// The file-system half of the record: reading a record file without ever
// waiting on or trusting what stands at its name, and replacing one so that
// neither a crash, a full disk nor a link someone planted can eat it.
#include <string>
#include <string_view>

namespace kemless {

// Why a record file or its folder cannot be read or kept.
enum class FileProblem {
    None,
    NoPermission,  // EACCES, EPERM
    NotAFile,      // a folder, FIFO, device or socket stands at the name
    LinkLoop,      // ELOOP: links that lead round in a circle
    ForeignLink,   // a link that another user made: never followed
    TooLarge,      // far larger than any record could be
    NoSpace,       // ENOSPC, EDQUOT, EFBIG (a full disk or quota)
    ReadOnly,      // EROFS
    NoFolder,      // the folder is missing or is no folder
    Other,         // anything else; the errno says more
};

// Returned by every write: a caller says what it does with a failure.
struct [[nodiscard]] FileOutcome {
    FileProblem problem = FileProblem::None;
    int error = 0;     // the errno behind it, where there was one
    std::string path;  // the file or folder it concerns

    explicit operator bool() const { return problem == FileProblem::None; }
};

// The Japanese words for a problem, for the messages that name it.
std::string ProblemText(const FileOutcome& outcome);

struct ReadOutcome {
    enum class State { Read, Missing, Blocked } state = State::Missing;
    std::string bytes;    // Read: the file's first bytes (a record is one short line)
    FileOutcome blocked;  // Blocked: why
};

// Reads a record file. Only a regular file is a record: it is opened without
// blocking (a FIFO never holds the program up) and checked with fstat before
// a byte is read. A link is followed when it is the user's own. Missing means
// nothing stands at the name (ENOENT, a dangling link included); anything
// else that stands there and cannot be read is Blocked.
ReadOutcome ReadRecordFile(const std::string& path);

// Where a save of `path` must land: the final target when `path` is the
// user's own link (a dotfiles link stays a link), else `path` itself.
// Fails on a loop or on a link another user made.
FileOutcome ResolveSaveTarget(const std::string& path, std::string& target);

// Replaces the file at `path` (or at the target of the user's own link) with
// `bytes`: a temporary file with a name no one can predict, made with
// O_CREAT|O_EXCL|O_NOFOLLOW beside the target, written, synced and renamed
// over it, then the folder synced. On any failure the old file is untouched
// and no temporary file is left.
FileOutcome WriteFileAtomically(const std::string& path, std::string_view bytes);

// Proves `folder` can take a save of `size` bytes right now: a temporary
// file of that size is made, synced and removed. A full disk, a read-only
// file system or missing rights show here before anybody types a setting.
FileOutcome TrialWrite(const std::string& folder, size_t size);

std::string FolderOf(const std::string& path);

}  // namespace kemless

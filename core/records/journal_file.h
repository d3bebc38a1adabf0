#pragma once
// The journal as one run of the program follows it: read whole once (with
// the yearly archives beside it and any copy a sync tool left in conflict),
// then only what was appended since, by offset. A journal replaced by
// rename (a sync tool putting the other computer's copy in its place) or
// made shorter is read again from its start; the reader is told so.
//
// Only the user's own regular file is read or written, as with the record
// files. Appends take a lock, so two copies of the program sharing a folder
// never talk over each other; the lines a step adds count toward the size
// limit before they are written, and a journal that would pass it is first
// compacted and, if that is not enough, its oldest urge, slip and attempt
// lines move to archives named for their year (journal-2026.txt), which
// are read with it.
#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/journal.h"
#include "records/record_file.h"

namespace kemless {

// Past this size a journal is compacted after an append when that makes it
// at least a quarter smaller; past the archive mark its oldest lines move
// to the archives; beyond the upper limit it is no journal of ours and
// never read or written.
inline constexpr off_t kJournalCompactAbove = 64 * 1024;
inline constexpr off_t kJournalArchiveAbove = 12 * 1024 * 1024;
inline constexpr off_t kJournalMaxBytes = 16 * 1024 * 1024;

// The names beside the journal that belong to it: "journal-2026.txt" is an
// archive (its year, or 0 for any other name), "journal.sync-conflict-….txt"
// a sync tool's copy in conflict.
int ArchiveYearOf(std::string_view journalName, std::string_view name);
std::string ArchiveNameOf(std::string_view journalName, int year);
bool IsConflictCopyOf(std::string_view journalName, std::string_view name);

// The lines of `bytes` to move to the archives so that at most `keep` bytes
// stay: the oldest lines of every kind but notices, damaged lines and lines
// without their line end, taken from the front; the lines that stay, in
// their order, byte for byte.
struct ArchiveSplit {
    std::vector<std::pair<int, std::string>> moved;  // year, its lines in order
    std::string kept;
};
ArchiveSplit SplitForArchive(std::string_view bytes, size_t keep);

// What follows the journal's lines.
class JournalReader {
public:
    virtual ~JournalReader() = default;
    // Everything told before is void: the journal is read again from the start.
    virtual void restart() = 0;
    // One line that reads as an event, in order.
    virtual void line(const JournalEvent& event) = 0;
};

class JournalFile {
public:
    JournalFile(int dir, std::string dirPath, std::string name = kJournalName);

    // Reads what is new since the last look: the first time (and after a
    // replacement) the archives, the journal and the conflict copies whole,
    // after that only the bytes appended since. A missing journal is no
    // failure: there is nothing to read.
    FileOutcome catchUp(JournalReader& reader);

    // One step: the journal is locked, what is new is read, then `decide`
    // says what to add (whole lines; "" for nothing: no file is made for
    // nothing), which is appended with one write and synced, and told to
    // the reader. A write that fails halfway is taken back, so no cut line
    // is ever left.
    using Decision = std::function<std::string()>;
    FileOutcome append(JournalReader& reader, const Decision& decide);

    const std::string& path() const { return path_; }

private:
    FileOutcome readFrom(int fd, off_t from, off_t to, JournalReader& reader);
    FileOutcome readWhole(JournalReader& reader);
    FileOutcome readBeside(JournalReader& reader, std::vector<std::string>& conflicts);
    void tell(std::string_view text, JournalReader& reader);
    FileOutcome makeRoom(int fd, off_t size, size_t adding);
    FileOutcome replaceWith(int fd, off_t size, const std::string& bytes);
    void noteNotice(const JournalEvent& event, size_t bytes);

    int dir_;
    std::string dirPath_;
    std::string name_;
    std::string path_;
    Descriptor fd_;  // the journal as last read
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    off_t offset_ = 0;   // read up to here: the end of the last whole line
    bool read_ = false;  // read whole once
    std::string tail_;   // a last line still without its line end
    // Of each milestone: the bytes of all its notice lines and of its best
    // one, which tells when a compaction is worth it.
    struct NoticeBytes {
        int64_t best = -1;
        size_t bestBytes = 0;
        size_t allBytes = 0;
    };
    std::vector<std::pair<std::string, NoticeBytes>> notices_;
};

}  // namespace kemless

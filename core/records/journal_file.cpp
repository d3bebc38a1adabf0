#include "records/journal_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <map>

namespace kemless {
namespace {

// How long a step waits for another copy of the program that holds the
// journal (its own step takes milliseconds), and how often the file at the
// name may change under it before it gives up.
constexpr int kLockTries = 50;
constexpr long kLockWaitNs = 20'000'000;
constexpr int kReopenTries = 5;
constexpr size_t kChunk = 64 * 1024;

bool Lock(int fd) {
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        const timespec pause{0, kLockWaitNs};
        ::nanosleep(&pause, nullptr);
    }
    return false;
}

// `bytes` appended with one write and synced; a write that fails halfway is
// taken back to `size`. False with errno set.
bool AppendOnce(int fd, off_t size, std::string_view bytes) {
    ssize_t n;
    do {
        n = ::write(fd, bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    int error = 0;
    if (n < 0)
        error = errno;
    else if (static_cast<size_t>(n) != bytes.size())
        error = ENOSPC;  // a short write: the disk is full
    else if (::fsync(fd) != 0)
        error = errno;
    if (error == 0) return true;
    if (::ftruncate(fd, size) == 0) ::fsync(fd);
    errno = error;
    return false;
}

// The bytes [from, to) of an open file; false with errno set.
bool ReadRange(int fd, off_t from, off_t to, std::string& out) {
    out.clear();
    if (to > from) out.reserve(static_cast<size_t>(to - from));
    char buffer[kChunk];
    for (off_t at = from; at < to;) {
        const size_t want = static_cast<size_t>(std::min<off_t>(to - at, static_cast<off_t>(sizeof buffer)));
        const ssize_t n = ::pread(fd, buffer, want, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;  // shortened meanwhile: what is there
        out.append(buffer, static_cast<size_t>(n));
        at += n;
    }
    return true;
}

// Every line ending in a line end, handed out; what comes after the last
// line end is left in `rest`.
template <typename Each>
void WholeLines(std::string_view bytes, std::string& rest, Each each) {
    size_t start = 0;
    for (size_t end = bytes.find('\n'); end != std::string_view::npos; end = bytes.find('\n', start)) {
        each(bytes.substr(start, end - start));
        start = end + 1;
    }
    rest.assign(bytes.substr(start));
}

std::string_view Stem(std::string_view journalName) {
    const size_t dot = journalName.rfind('.');
    return dot == std::string_view::npos ? journalName : journalName.substr(0, dot);
}

std::string_view Extension(std::string_view journalName) {
    const size_t dot = journalName.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : journalName.substr(dot);
}

// Opened without following a link at the name and without waiting on a
// FIFO, and only when it is a regular file of the user's own.
FileOutcome OpenOwn(int dir, const std::string& name, const std::string& path, int flags, Descriptor& fd,
                    struct stat& st) {
    fd.reset(::openat(dir, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600));
    if (!fd.valid()) return FailedErrno(path);
    if (::fstat(fd.get(), &st) != 0) return FailedErrno(path);
    if (!S_ISREG(st.st_mode)) return Failed(FileProblem::NotAFile, 0, path);
    if (FileOutcome own = CheckOwnFile(dir, st, path); !own) return own;
    if (st.st_size > kJournalMaxBytes) return Failed(FileProblem::TooLarge, 0, path);
    return {};
}

bool IsMovable(const JournalEvent& e) { return e.kind != "notice" && e.kind != "seen"; }

}  // namespace

int ArchiveYearOf(std::string_view journalName, std::string_view name) {
    const std::string_view stem = Stem(journalName);
    const std::string_view ext = Extension(journalName);
    if (name.size() != stem.size() + 5 + ext.size() || name.substr(0, stem.size()) != stem ||
        name[stem.size()] != '-' || name.substr(stem.size() + 5) != ext)
        return 0;
    int year = 0;
    for (const char c : name.substr(stem.size() + 1, 4)) {
        if (c < '0' || c > '9') return 0;
        year = year * 10 + (c - '0');
    }
    return year;
}

std::string ArchiveNameOf(std::string_view journalName, int year) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", std::clamp(year, 1, 9999));
    return std::string(Stem(journalName)) + "-" + digits + std::string(Extension(journalName));
}

bool IsConflictCopyOf(std::string_view journalName, std::string_view name) {
    const std::string prefix = std::string(Stem(journalName)) + ".sync-conflict-";
    const std::string_view ext = Extension(journalName);
    return name.size() > prefix.size() + ext.size() && name.substr(0, prefix.size()) == prefix &&
           name.substr(name.size() - ext.size()) == ext;
}

ArchiveSplit SplitForArchive(std::string_view bytes, size_t keep) {
    ArchiveSplit split;
    // Lines are taken from the front until what stays fits.
    size_t toMove = bytes.size() > keep ? bytes.size() - keep : 0;
    std::string rest;
    WholeLines(bytes, rest, [&](std::string_view line) {
        if (toMove > 0) {
            if (const std::optional<JournalEvent> e = ParseJournalLine(line); e && IsMovable(*e)) {
                if (split.moved.empty() || split.moved.back().first != e->at.year)
                    split.moved.emplace_back(e->at.year, std::string());
                split.moved.back().second.append(line).push_back('\n');
                toMove = line.size() + 1 >= toMove ? 0 : toMove - line.size() - 1;
                return;
            }
        }
        split.kept.append(line).push_back('\n');
    });
    split.kept += rest;
    return split;
}

JournalFile::JournalFile(int dir, std::string dirPath, std::string name)
    : dir_(dir), dirPath_(std::move(dirPath)), name_(std::move(name)), path_(JoinPath(dirPath_, name_)) {}

void JournalFile::noteNotice(const JournalEvent& e, size_t bytes) {
    const std::optional<int64_t> value = NoticeValueOf(e);
    if (!value) return;
    const std::string key = *NoticeKeyOf(e);
    auto it = std::find_if(notices_.begin(), notices_.end(), [&](const auto& n) { return n.first == key; });
    if (it == notices_.end()) it = notices_.insert(notices_.end(), {key, {}});
    NoticeBytes& n = it->second;
    n.allBytes += bytes;
    if (*value >= n.best) {
        n.best = *value;
        n.bestBytes = bytes;
    }
}

void JournalFile::tell(std::string_view text, JournalReader& reader) {
    std::string rest;
    WholeLines(text, rest, [&](std::string_view line) {
        if (std::optional<JournalEvent> e = ParseJournalLine(line)) {
            noteNotice(*e, line.size() + 1);
            reader.line(*e);
        }
    });
}

FileOutcome JournalFile::readFrom(int fd, off_t from, off_t to, JournalReader& reader) {
    std::string bytes;
    if (!ReadRange(fd, from, to, bytes)) return FailedErrno(path_);
    // Only whole lines are taken; a line still being written (or cut by a
    // crash) waits for its line end.
    const size_t end = bytes.rfind('\n');
    if (end == std::string::npos) {
        tail_ = bytes;
        return {};
    }
    tell(std::string_view(bytes).substr(0, end + 1), reader);
    offset_ = from + static_cast<off_t>(end + 1);
    tail_ = bytes.substr(end + 1);
    return {};
}

FileOutcome JournalFile::readBeside(JournalReader& reader, std::vector<std::string>& conflicts) {
    // One look at the folder: the archives are read now, first (they hold
    // the oldest lines, by year); the conflict copies' names are handed back.
    const int listed = ::openat(dir_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0) return FailedErrno(dirPath_);
    DIR* folder = ::fdopendir(listed);
    if (folder == nullptr) {
        ::close(listed);
        return FailedErrno(dirPath_);
    }
    std::map<int, std::string> archives;
    while (const dirent* entry = ::readdir(folder)) {
        if (const int year = ArchiveYearOf(name_, entry->d_name); year > 0)
            archives.emplace(year, entry->d_name);
        if (IsConflictCopyOf(name_, entry->d_name)) conflicts.emplace_back(entry->d_name);
    }
    ::closedir(folder);
    std::sort(conflicts.begin(), conflicts.end());
    for (const auto& [year, name] : archives) {
        const ReadOutcome r =
            ReadRegularFileAt(dir_, dirPath_, name, kJournalMaxBytes, static_cast<size_t>(kJournalMaxBytes));
        // An archive that is not ours to read is passed over: nothing here
        // is ever written over, and the journal says what is wrong with it.
        if (r.state != ReadOutcome::State::Read) continue;
        tell(r.bytes, reader);
    }
    return {};
}

FileOutcome JournalFile::readWhole(JournalReader& reader) {
    reader.restart();
    notices_.clear();
    offset_ = 0;
    tail_.clear();
    read_ = true;
    std::vector<std::string> conflicts;
    if (FileOutcome beside = readBeside(reader, conflicts); !beside) return beside;
    // The conflict copies' lines, counted against the journal's.
    std::map<std::string, int> unmatched;
    std::vector<std::string> order;
    for (const std::string& name : conflicts) {
        const ReadOutcome r =
            ReadRegularFileAt(dir_, dirPath_, name, kJournalMaxBytes, static_cast<size_t>(kJournalMaxBytes));
        if (r.state != ReadOutcome::State::Read) continue;
        std::map<std::string, int> here;
        std::string rest;
        WholeLines(r.bytes, rest, [&](std::string_view line) {
            if (ParseJournalLine(line)) ++here[std::string(line)];
        });
        // Two copies in conflict share most lines: a line counts as often as
        // the copy that has it most.
        for (auto& [line, count] : here) {
            int& known = unmatched[line];
            if (count > known) {
                for (int i = known; i < count; ++i) order.push_back(line);
                known = count;
            }
        }
    }
    FileTarget t;
    if (FileOutcome links = ResolveFileTarget(dir_, dirPath_, name_, t); !links) return links;
    Descriptor fd;
    struct stat st {};
    FileOutcome opened = OpenOwn(t.dir, t.name, path_, O_RDONLY, fd, st);
    if (!opened && opened.problem != FileProblem::NoFolder) return opened;
    if (opened) {
        dev_ = st.st_dev;
        ino_ = st.st_ino;
        // Read in pieces, so a large journal never stands in memory whole.
        for (off_t at = 0; at < st.st_size;) {
            const off_t to = std::min<off_t>(st.st_size, at + 4 * static_cast<off_t>(kChunk));
            std::string piece;
            if (!ReadRange(fd.get(), at, to, piece)) return FailedErrno(path_);
            if (piece.empty()) break;
            std::string text = tail_ + piece;
            std::string rest;
            WholeLines(text, rest, [&](std::string_view line) {
                if (!unmatched.empty())
                    if (auto it = unmatched.find(std::string(line)); it != unmatched.end() && it->second > 0)
                        --it->second;
                if (std::optional<JournalEvent> e = ParseJournalLine(line)) {
                    noteNotice(*e, line.size() + 1);
                    reader.line(*e);
                }
            });
            at += static_cast<off_t>(piece.size());
            offset_ = at - static_cast<off_t>(rest.size());
            tail_ = std::move(rest);
        }
        fd_ = std::move(fd);
    } else {
        fd_.reset();
        dev_ = 0;
        ino_ = 0;
    }
    for (const std::string& line : order) {
        auto it = unmatched.find(line);
        if (it == unmatched.end() || it->second <= 0) continue;
        --it->second;
        if (std::optional<JournalEvent> e = ParseJournalLine(line)) reader.line(*e);
    }
    return {};
}

FileOutcome JournalFile::catchUp(JournalReader& reader) {
    if (!read_) return readWhole(reader);
    FileTarget t;
    if (FileOutcome links = ResolveFileTarget(dir_, dirPath_, name_, t); !links) return links;
    struct stat there {};
    if (::fstatat(t.dir, t.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) return FailedErrno(path_);
        // Gone: nothing more to read, and a journal made later is read whole.
        if (fd_.valid()) return readWhole(reader);
        return {};
    }
    if (!fd_.valid() || there.st_dev != dev_ || there.st_ino != ino_) return readWhole(reader);
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) return FailedErrno(path_);
    if (st.st_size < offset_) return readWhole(reader);
    if (st.st_size > kJournalMaxBytes) return Failed(FileProblem::TooLarge, 0, path_);
    if (st.st_size == offset_ + static_cast<off_t>(tail_.size())) return {};
    return readFrom(fd_.get(), offset_, st.st_size, reader);
}

FileOutcome JournalFile::replaceWith(int fd, off_t size, const std::string& bytes) {
    // Nothing is dropped that was not read: a writer that appended without
    // the lock since, or a file put at the name, leaves it for the next time.
    struct stat now {};
    FileTarget t;
    if (FileOutcome links = ResolveFileTarget(dir_, dirPath_, name_, t); !links) return links;
    struct stat there {};
    if (::fstat(fd, &now) != 0 || now.st_size != size ||
        ::fstatat(t.dir, t.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 || there.st_ino != now.st_ino ||
        there.st_dev != now.st_dev)
        return Failed(FileProblem::Other, EAGAIN, path_);
    if (FileOutcome written = WriteFileAtomicallyAt(t.dir, t.dirPath, t.name, bytes); !written)
        return written;
    // The lines told are the same: only where the reading stands moves.
    Descriptor fresh;
    struct stat st {};
    if (OpenOwn(t.dir, t.name, path_, O_RDONLY, fresh, st)) {
        fd_ = std::move(fresh);
        dev_ = st.st_dev;
        ino_ = st.st_ino;
        const size_t end = bytes.rfind('\n');
        offset_ = end == std::string::npos ? 0 : static_cast<off_t>(end + 1);
        tail_ = end == std::string::npos ? bytes : bytes.substr(end + 1);
    } else {
        read_ = false;
    }
    return {};
}

FileOutcome JournalFile::makeRoom(int fd, off_t size, size_t adding) {
    const off_t after = size + static_cast<off_t>(adding);
    size_t dropped = 0;
    for (const auto& [key, n] : notices_) dropped += n.allBytes - n.bestBytes;
    const bool worthCompacting = size > kJournalCompactAbove && dropped * 4 >= static_cast<size_t>(size);
    if (!worthCompacting && after <= kJournalArchiveAbove) return {};
    std::string whole;
    if (!ReadRange(fd, 0, size, whole)) return FailedErrno(path_);
    std::string compact = CompactJournal(whole);
    if (static_cast<off_t>(compact.size() + adding) > kJournalArchiveAbove) {
        // Urges and slips alone come near the limit: the oldest move to the
        // archives, which are written (and synced) before the journal drops
        // them, so a crash in between can only leave a line twice, never lose one.
        ArchiveSplit split = SplitForArchive(compact, static_cast<size_t>(kJournalArchiveAbove / 2));
        for (const auto& [year, lines] : split.moved) {
            const std::string name = ArchiveNameOf(name_, year);
            FileTarget t;
            if (FileOutcome links = ResolveFileTarget(dir_, dirPath_, name, t); !links) return links;
            Descriptor archive;
            struct stat st {};
            FileOutcome opened = OpenOwn(t.dir, t.name, t.path(), O_RDWR | O_APPEND | O_CREAT, archive, st);
            if (!opened) return opened;
            if (!Lock(archive.get())) return Failed(FileProblem::Other, EAGAIN, t.path());
            char last = '\n';
            if (st.st_size > 0 && ::pread(archive.get(), &last, 1, st.st_size - 1) != 1) last = '\n';
            // A last line cut by hand keeps its own line.
            const std::string text = (last != '\n' ? std::string("\n") : std::string()) + lines;
            if (st.st_size + static_cast<off_t>(text.size()) > kJournalMaxBytes)
                return Failed(FileProblem::TooLarge, 0, t.path());
            if (!AppendOnce(archive.get(), st.st_size, text)) return FailedErrno(t.path());
        }
        compact = std::move(split.kept);
    }
    if (compact.size() == whole.size()) return {};
    (void)replaceWith(fd, size, compact);
    return {};
}

FileOutcome JournalFile::append(JournalReader& reader, const Decision& decide) {
    for (int attempt = 0; attempt < kReopenTries; ++attempt) {
        FileTarget t;
        if (FileOutcome links = ResolveFileTarget(dir_, dirPath_, name_, t); !links) return links;
        // O_RDWR: a journal this user may not read is never written either.
        Descriptor fd;
        struct stat st {};
        FileOutcome opened = OpenOwn(t.dir, t.name, path_, O_RDWR | O_APPEND, fd, st);
        if (!opened && opened.problem == FileProblem::NoFolder) {
            // Made at the first event only: a step with nothing to say leaves no file.
            if (FileOutcome caught = catchUp(reader); !caught) return caught;
            if (decide().empty()) return {};
            opened = OpenOwn(t.dir, t.name, path_, O_RDWR | O_APPEND | O_CREAT | O_EXCL, fd, st);
            if (!opened && opened.error == EEXIST) continue;
        }
        if (!opened) return opened;
        const bool locked = Lock(fd.get());
        // A compaction by another copy may have put a new file at the name
        // while this one waited: the step starts again on that one.
        struct stat there {};
        if (::fstatat(t.dir, t.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 || there.st_dev != st.st_dev ||
            there.st_ino != st.st_ino)
            continue;
        if (::fstat(fd.get(), &st) != 0) return FailedErrno(path_);
        // What is new, from this very file.
        if (!read_ || st.st_dev != dev_ || st.st_ino != ino_ || st.st_size < offset_) {
            if (FileOutcome whole = readWhole(reader); !whole) return whole;
        } else if (st.st_size > offset_ + static_cast<off_t>(tail_.size())) {
            if (FileOutcome more = readFrom(fd_.get(), offset_, st.st_size, reader); !more) return more;
        }
        std::string lines = decide();
        if (lines.empty()) return {};
        if (locked) {
            if (FileOutcome room = makeRoom(fd.get(), st.st_size, lines.size()); !room) return room;
            // Room made means a new file at the name: the step goes on there.
            if (::fstatat(t.dir, t.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
                there.st_ino != st.st_ino) {
                fd = Descriptor(::openat(t.dir, t.name.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
                if (!fd.valid() || !Lock(fd.get())) return FailedErrno(path_);
            }
        }
        // As it stands now: a writer that takes no lock may have added to it.
        if (::fstat(fd.get(), &st) != 0) return FailedErrno(path_);
        // A last line cut by a crash or an editor keeps its own line.
        if (st.st_size > 0) {
            char last = '\n';
            if (::pread(fd.get(), &last, 1, st.st_size - 1) == 1 && last != '\n')
                lines.insert(lines.begin(), '\n');
        }
        // The lines being added count toward the limit: the program never
        // makes a journal it would refuse to read.
        if (st.st_size + static_cast<off_t>(lines.size()) > kJournalMaxBytes)
            return Failed(FileProblem::TooLarge, 0, path_);
        if (!AppendOnce(fd.get(), st.st_size, lines)) return FailedErrno(path_);
        // Told from what was written, as a later look would read it: a file
        // new to this run (just made, or put at the name meanwhile) whole.
        if (!fd_.valid() || st.st_ino != ino_ || st.st_dev != dev_) return readWhole(reader);
        if (FileOutcome more =
                readFrom(fd.get(), offset_, st.st_size + static_cast<off_t>(lines.size()), reader);
            !more)
            return more;
        return {};
    }
    return Failed(FileProblem::Other, EAGAIN, path_);
}

}  // namespace kemless

#include "records/journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <map>

#include "basics/text.h"

namespace kemless {
namespace {

// How long an append waits for another copy of the program that holds the
// journal (its own step takes milliseconds), and how often the file at the
// name may change under it before it gives up.
constexpr int kLockTries = 50;
constexpr long kLockWaitNs = 20'000'000;
constexpr int kReopenTries = 5;

bool IsKindWord(std::string_view word) {
    if (word.empty() || word[0] < 'a' || word[0] > 'z') return false;
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; });
}

void AppendEscaped(std::string& out, std::string_view word) {
    if (word.empty()) {
        out += "\\e";
        return;
    }
    for (const char c : word) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': out += "\\\\"; break;
            case ' ': out += "\\s"; break;
            case '=': out += "\\q"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (b < 0x20 || b == 0x7F) {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02X", b);
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescaped(std::string_view word) {
    if (word == "\\e") return std::string();
    std::string out;
    for (size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '\\') {
            out += word[i];
            continue;
        }
        if (++i == word.size()) return std::nullopt;
        switch (word[i]) {
            case '\\': out += '\\'; break;
            case 's': out += ' '; break;
            case 'q': out += '='; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                if (i + 2 >= word.size()) return std::nullopt;
                const int high = HexDigit(word[i + 1]);
                const int low = HexDigit(word[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return out;
}

// A number of exactly `digits` digits (any number of them for 0) at the start of `text`.
std::optional<int32_t> Digits(std::string_view text, size_t digits) {
    if (text.empty() || (digits != 0 && text.size() != digits) || text.size() > 9) return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<CalendarMoment> ParseMinute(std::string_view date, std::string_view time) {
    const size_t first = date.find('-');
    if (first == std::string_view::npos || first < 4 || date.size() != first + 6 || date[first + 3] != '-')
        return std::nullopt;
    if (time.size() != 5 || time[2] != ':') return std::nullopt;
    const auto year = Digits(date.substr(0, first), 0);
    const auto month = Digits(date.substr(first + 1, 2), 2);
    const auto day = Digits(date.substr(first + 4, 2), 2);
    const auto hour = Digits(time.substr(0, 2), 2);
    const auto minute = Digits(time.substr(3, 2), 2);
    if (!year || !month || !day || !hour || !minute) return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59) return std::nullopt;
    return CalendarMoment{*year, *month, *day, *hour, *minute};
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// The journal's lines: every line with its line end taken off; a last one
// without a line end is a line too.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines = Split(bytes, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

// Notice lines of the same milestone and record share a key; others have none.
std::optional<std::string> NoticeKey(const JournalEvent& e) {
    if ((e.kind != "notice" && e.kind != "seen") || e.words.empty()) return std::nullopt;
    std::vector<std::pair<std::string, std::string>> fields = e.fields;
    std::sort(fields.begin(), fields.end());
    std::string key = e.words[0];
    for (const auto& [k, v] : fields) key += '\0' + k + '=' + v;
    return key;
}

FileOutcome Failed(FileProblem problem, int error, const std::string& path) {
    return {problem, error, path, {}};
}
FileOutcome FailedErrno(const std::string& path) {
    const int error = errno;
    return Failed(ProblemOfErrno(error), error, path);
}

// The whole of an open file, from its start; false with errno set.
bool ReadWhole(int fd, std::string& out) {
    out.clear();
    char buffer[8192];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<size_t>(n));
        offset += n;
        if (offset > kJournalMaxBytes) {
            errno = EFBIG;
            return false;
        }
    }
}

// Another copy may hold the journal for the moment of its own step.
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
// taken back to `size`, so no cut line is ever left. False with errno set.
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

}  // namespace

std::optional<std::string_view> JournalEvent::field(std::string_view key) const {
    for (const auto& [k, v] : fields)
        if (k == key) return std::string_view(v);
    return std::nullopt;
}

std::string FormatJournalLine(const JournalEvent& e) {
    char minute[32];
    std::snprintf(minute, sizeof minute, "%04d-%02d-%02d %02d:%02d", e.at.year, e.at.month, e.at.day,
                  e.at.hour, e.at.minute);
    std::string line = minute;
    line += ' ';
    AppendEscaped(line, e.kind);
    for (const std::string& word : e.words) {
        line += ' ';
        AppendEscaped(line, word);
    }
    for (const auto& [key, value] : e.fields) {
        line += ' ';
        AppendEscaped(line, key);
        line += '=';
        // An empty value needs no mark: "key=" says it.
        if (!value.empty()) AppendEscaped(line, value);
    }
    line += '\n';
    return line;
}

std::optional<JournalEvent> ParseJournalLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Written lines hold no control character: each is escaped.
    if (!IsUtf8(line) || std::any_of(line.begin(), line.end(), [](char c) {
            const auto b = static_cast<unsigned char>(c);
            return b < 0x20 || b == 0x7F;
        }))
        return std::nullopt;
    const std::vector<std::string_view> tokens = Split(line, ' ');
    if (tokens.size() < 3) return std::nullopt;
    const std::optional<CalendarMoment> at = ParseMinute(tokens[0], tokens[1]);
    if (!at || !IsKindWord(tokens[2])) return std::nullopt;
    JournalEvent e;
    e.at = *at;
    e.kind = tokens[2];
    for (size_t i = 3; i < tokens.size(); ++i) {
        const std::string_view token = tokens[i];
        const size_t equals = token.find('=');
        if (equals == std::string_view::npos) {
            // Plain words come before the fields.
            if (!e.fields.empty()) return std::nullopt;
            std::optional<std::string> word = Unescaped(token);
            if (!word || token.empty()) return std::nullopt;
            e.words.push_back(std::move(*word));
            continue;
        }
        if (!IsKindWord(token.substr(0, equals))) return std::nullopt;
        std::optional<std::string> value = Unescaped(token.substr(equals + 1));
        if (!value || token.substr(equals + 1) == "\\e") return std::nullopt;
        e.fields.emplace_back(std::string(token.substr(0, equals)), std::move(*value));
    }
    return e;
}

std::vector<JournalEvent> ParseJournal(std::string_view bytes) {
    std::vector<JournalEvent> events;
    for (const std::string_view line : Lines(bytes))
        if (std::optional<JournalEvent> e = ParseJournalLine(line)) events.push_back(std::move(*e));
    return events;
}

std::string CompactJournal(std::string_view bytes) {
    const std::vector<std::string_view> lines = Lines(bytes);
    std::vector<std::optional<std::string>> keys;
    std::map<std::string, size_t> last;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<JournalEvent> e = ParseJournalLine(lines[i]);
        keys.push_back(e ? NoticeKey(*e) : std::nullopt);
        if (keys.back()) last[*keys.back()] = i;
    }
    std::string out;
    out.reserve(bytes.size() + 1);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (keys[i] && last[*keys[i]] != i) continue;
        out += lines[i];
        out += '\n';
    }
    return out;
}

ReadOutcome ReadJournalAt(int dir, const std::string& dirPath, const std::string& name) {
    return ReadRegularFileAt(dir, dirPath, name, kJournalMaxBytes, static_cast<size_t>(kJournalMaxBytes));
}

FileOutcome UpdateJournalAt(int dir, const std::string& dirPath, const std::string& name,
                            const JournalDecision& decide, bool* appended) {
    if (appended != nullptr) *appended = false;
    const std::string path = JoinPath(dirPath, name);
    for (int attempt = 0; attempt < kReopenTries; ++attempt) {
        FileTarget t;
        if (FileOutcome links = ResolveFileTarget(dir, dirPath, name, t); !links) return links;
        // O_RDWR: a journal this user may not read is never written either.
        // O_NONBLOCK: a FIFO at the name opens at once and is then refused.
        constexpr int kFlags = O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
        Descriptor fd(::openat(t.dir, t.name.c_str(), kFlags));
        if (!fd.valid() && errno == ENOENT) {
            // Made at the first event only: a start with nothing to say leaves no file.
            if (decide(std::string_view()).empty()) return {};
            fd.reset(::openat(t.dir, t.name.c_str(), kFlags | O_CREAT | O_EXCL, 0600));
            if (!fd.valid() && errno == EEXIST) continue;
        }
        if (!fd.valid()) return FailedErrno(path);
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) return FailedErrno(path);
        if (!S_ISREG(st.st_mode)) return Failed(FileProblem::NotAFile, 0, path);
        if (st.st_size > kJournalMaxBytes) return Failed(FileProblem::TooLarge, 0, path);
        const bool locked = Lock(fd.get());
        // A compaction by another copy may have put a new file at the name
        // while this one waited: the step starts again on that one.
        struct stat there {};
        if (::fstatat(t.dir, t.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 || there.st_dev != st.st_dev ||
            there.st_ino != st.st_ino)
            continue;
        std::string journal;
        if (!ReadWhole(fd.get(), journal)) {
            if (errno == EFBIG) return Failed(FileProblem::TooLarge, 0, path);
            return FailedErrno(path);
        }
        std::string lines = decide(journal);
        if (lines.empty()) return {};
        // A last line cut by a crash or an editor keeps its own line.
        if (!journal.empty() && journal.back() != '\n') lines.insert(lines.begin(), '\n');
        const auto size = static_cast<off_t>(journal.size());
        if (!AppendOnce(fd.get(), size, lines)) return FailedErrno(path);
        if (appended != nullptr) *appended = true;
        const std::string whole = journal + lines;
        if (locked && static_cast<off_t>(whole.size()) > kJournalCompactAbove) {
            const std::string compact = CompactJournal(whole);
            // Worth a rewrite only when it frees a good part of the file.
            if (compact.size() * 4 <= whole.size() * 3)
                (void)WriteFileAtomicallyAt(t.dir, t.dirPath, t.name, compact);
        }
        return {};
    }
    return Failed(FileProblem::Other, EAGAIN, path);
}

std::string MinuteWord(const CalendarMoment& m) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

std::optional<CalendarMoment> ParseMinuteWord(std::string_view word) {
    const size_t t = word.find('T');
    if (t == std::string_view::npos) return std::nullopt;
    return ParseMinute(word.substr(0, t), word.substr(t + 1));
}

}  // namespace kemless

#include "records/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <sstream>

#include "basics/text.h"
#include "records/shift_jis.h"

namespace kemless {
namespace {

constexpr const char* kDataFolder = "kemlessdata";
constexpr size_t kMaxFileBytes = 1 << 20;  // a settings line is ~100 bytes

std::string Quoted(const std::string& text) { return '"' + WithoutDoubleQuotes(text) + '"'; }

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Reads the fields of a comma-separated record the way a read-record
// statement does: blanks before a field are skipped, a quoted field runs to
// the next double quote, a comma or a line break ends a field.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : s_(bytes) {}

    std::optional<int32_t> integer() {
        auto raw = field(false);
        if (!raw) return std::nullopt;
        const std::string_view t = TrimEnd(*raw);
        // Only what the writer produces: an optional "-" and digits.
        if (t.empty() || t.front() == '+') return std::nullopt;
        int32_t value = 0;
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
        return value;
    }

    std::optional<std::string> text() {
        auto raw = field(true);
        if (!raw) return std::nullopt;
        return ShiftJisToUtf8(*raw);
    }

private:
    std::optional<std::string_view> field(bool allowQuoted) {
        while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
        if (pos_ >= s_.size()) return std::nullopt;  // the file ends early
        std::string_view value;
        if (s_[pos_] == '"') {
            if (!allowQuoted) return std::nullopt;
            size_t close = s_.find('"', pos_ + 1);
            if (close == std::string_view::npos) return std::nullopt;
            value = s_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            // Anything between the closing quote and the delimiter is ignored.
            while (pos_ < s_.size() && s_[pos_] != ',' && !IsLineBreak(s_[pos_])) ++pos_;
        } else {
            size_t start = pos_;
            while (pos_ < s_.size() && s_[pos_] != ',' && !IsLineBreak(s_[pos_])) ++pos_;
            value = s_.substr(start, pos_ - start);
        }
        consumeDelimiter();
        return value;
    }

    void consumeDelimiter() {
        if (pos_ >= s_.size()) return;
        if (s_[pos_] == '\r' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n') {
            pos_ += 2;
        } else {
            ++pos_;
        }
    }

    std::string_view s_;
    size_t pos_ = 0;
};

// Plain system calls rather than streams: this runs at every start, and the
// stream machinery would be loaded for two small files.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;  // a folder in place of the file ends here too
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
        // Only the first line matters; a huge file is cut rather than read whole.
        if (bytes.size() > kMaxFileBytes) break;
    }
    ::close(fd);
    return bytes;
}

bool CanOpen(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // A directory in place of the file opens on Linux but cannot be read.
    struct stat st{};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

// mkdir -p: every missing folder on the way, errors left to the caller's check.
void MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    ::mkdir(path.c_str(), 0755);
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

InitialSettings DefaultInitialSettings(const CalendarMoment& now) {
    InitialSettings s;
    s.quit = now;
    return s;
}

// quitYear, quitMonth, quitDay, quitHour and quitMinute are the parts of the
// quit moment, in that order; then the three figures.
std::string FormatInitialLine(const InitialSettings& s) {
    std::ostringstream o;
    o << s.quit.year << ',' << s.quit.month << ',' << s.quit.day << ',' << s.quit.hour << ','
      << s.quit.minute << ',' << s.cigarettesPerDay << ',' << s.packPrice << ',' << s.cigaretteSize
      << "\r\n";
    return o.str();
}

std::string FormatOptionLine(const OptionSettings& s) {
    std::ostringstream o;
    o << s.quitStarted << ',' << s.taxRatePercent << ',' << s.consumptionTaxPercent << ','
      << s.copyPlusMode << ',' << s.smokingYears << ',' << s.showBoxCount << ',' << s.mainLeft << ','
      << s.mainTop << ',' << s.backColor << ',' << s.foreColor << ',' << Quoted(s.linkUrl) << ','
      << s.windowMode << ',' << s.miniLeft << ',' << s.miniTop << ',' << Quoted(s.statusMode)
      << "\r\n";
    return o.str();
}

std::optional<InitialSettings> ParseInitialFile(std::string_view bytes) {
    FieldReader r(bytes);
    InitialSettings s;
    // The fields in the order FormatInitialLine writes them.
    for (int32_t* field : {&s.quit.year, &s.quit.month, &s.quit.day, &s.quit.hour, &s.quit.minute,
                           &s.cigarettesPerDay, &s.packPrice, &s.cigaretteSize}) {
        auto v = r.integer();
        if (!v) return std::nullopt;
        *field = *v;
    }
    return s;
}

std::optional<OptionSettings> ParseOptionFile(std::string_view bytes) {
    FieldReader r(bytes);
    OptionSettings s;
    auto take = [&r](std::initializer_list<int32_t*> fields) {
        for (int32_t* field : fields) {
            auto v = r.integer();
            if (!v) return false;
            *field = *v;
        }
        return true;
    };
    if (!take({&s.quitStarted, &s.taxRatePercent, &s.consumptionTaxPercent, &s.copyPlusMode,
               &s.smokingYears, &s.showBoxCount, &s.mainLeft, &s.mainTop, &s.backColor,
               &s.foreColor}))
        return std::nullopt;
    auto link = r.text();
    if (!link) return std::nullopt;
    s.linkUrl = *link;
    if (!take({&s.windowMode, &s.miniLeft, &s.miniTop})) return std::nullopt;
    auto mode = r.text();
    if (!mode) return std::nullopt;
    s.statusMode = *mode;
    return s;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    // One fixed name: only one copy of the program runs, and a temporary file
    // left by a crash is simply replaced by the next save.
    const std::string tmp = path + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

SettingsStore::SettingsStore(std::string baseFolder) : base_(std::move(baseFolder)) {}

std::string SettingsStore::dataFolder() const { return base_ + "/" + kDataFolder; }
std::string SettingsStore::initialPath() const { return dataFolder() + "/initial.ini"; }
std::string SettingsStore::optionPath() const { return dataFolder() + "/option.ini"; }

void SettingsStore::ensureDataFolder() const { MakeFolders(dataFolder()); }

SettingsStore::Keeping SettingsStore::checkKeeping() const {
    struct stat st {};
    if (::stat(dataFolder().c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Keeping::NoFolder;
    // Saving renames a new file into the folder, so the folder's rights decide.
    if (::access(dataFolder().c_str(), W_OK | X_OK) != 0) return Keeping::FolderNotWritable;
    for (const std::string& file : {initialPath(), optionPath()}) {
        if (::stat(file.c_str(), &st) != 0) return Keeping::FileMissing;
        if (!S_ISREG(st.st_mode)) return Keeping::FileIsNoFile;
    }
    return Keeping::KeptFine;
}

bool SettingsStore::canOpenInitial() const { return CanOpen(initialPath()); }
bool SettingsStore::canOpenOption() const { return CanOpen(optionPath()); }

std::optional<InitialSettings> SettingsStore::readInitial() const {
    auto bytes = ReadWholeFile(initialPath());
    if (!bytes) return std::nullopt;
    return ParseInitialFile(*bytes);
}

std::optional<OptionSettings> SettingsStore::readOption() const {
    auto bytes = ReadWholeFile(optionPath());
    if (!bytes) return std::nullopt;
    return ParseOptionFile(*bytes);
}

bool SettingsStore::writeInitial(const InitialSettings& s) const {
    return WriteFileAtomically(initialPath(), Utf8ToShiftJis(FormatInitialLine(s)));
}

bool SettingsStore::writeOption(const OptionSettings& s) const {
    return WriteFileAtomically(optionPath(), Utf8ToShiftJis(FormatOptionLine(s)));
}

bool AdoptRecord(const SettingsStore& from, const SettingsStore& to) {
    struct stat st {};
    struct stat other {};
    if (::stat(from.dataFolder().c_str(), &st) == 0 && ::stat(to.dataFolder().c_str(), &other) == 0 &&
        st.st_dev == other.st_dev && st.st_ino == other.st_ino)
        return false;
    // Anything standing there already, readable or not, is the user's own.
    if (::stat(to.optionPath().c_str(), &st) == 0) return false;
    if (!from.canOpenOption()) return false;
    const auto option = ReadWholeFile(from.optionPath());
    if (!option || !ParseOptionFile(*option)) return false;
    to.ensureDataFolder();
    if (from.canOpenInitial()) {
        if (const auto initial = ReadWholeFile(from.initialPath())) WriteFileAtomically(to.initialPath(), *initial);
    }
    return WriteFileAtomically(to.optionPath(), *option);
}

std::string ResolveBaseFolder(const std::string& given, const std::string& workingDirectory) {
    if (!given.empty() && given.front() == '/') return given;
    if (given.empty() || given == ".") return workingDirectory;
    return workingDirectory + "/" + given;
}

std::string CurrentWorkingDirectory() {
    char buf[PATH_MAX];
    if (::getcwd(buf, sizeof buf) == nullptr) return ".";
    return buf;
}

}  // namespace kemless

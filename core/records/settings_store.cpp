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
constexpr const char* kInitialName = "initial.ini";
constexpr const char* kOptionName = "option.ini";

// A kept copy's time: the local minute, "2026-12-11-0830".
std::string StampOf(const CalendarMoment& m) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d-%02d%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

std::string KeptNote(const std::string& path, const std::string& kept, bool unreadable) {
    if (unreadable) return "kemless: 記録として読めなかった " + path + " の中身を " + kept + " に残しました";
    return "kemless: option.ini が読めないため、初めからやり直す前の " + path + " を " + kept +
           " に残しました";
}

std::string Quoted(const std::string& text) { return '"' + WithoutDoubleQuotes(text) + '"'; }

// More than either record line takes, so a save that would fit passes.
constexpr size_t kTrialBytes = 256;

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

// Whether anything at all stands at a name, a dangling link included.
bool Occupied(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
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
    o << s.quit.year << ',' << s.quit.month << ',' << s.quit.day << ',' << s.quit.hour << ',' << s.quit.minute
      << ',' << s.cigarettesPerDay << ',' << s.packPrice << ',' << s.cigaretteSize << "\r\n";
    return o.str();
}

// The typed fields go to the file as the numbers they stand for: a flag as
// 1 or 0 (or the number a hand-edited file held), the window mode and the
// colours as their codes.
std::string FormatOptionLine(const OptionSettings& s) {
    std::ostringstream o;
    o << s.quitStarted.stored() << ',' << s.taxRatePercent << ',' << s.consumptionTaxPercent << ','
      << s.copyPlusMode << ',' << s.smokingYears << ',' << s.showBoxCount.stored() << ',' << s.mainLeft << ','
      << s.mainTop << ',' << s.backColor.bgr() << ',' << s.foreColor.bgr() << ',' << Quoted(s.linkUrl) << ','
      << static_cast<int32_t>(s.windowMode) << ',' << s.miniLeft << ',' << s.miniTop << ','
      << Quoted(s.statusMode) << "\r\n";
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
    int32_t started = 0, boxCount = 0, backColor = 0, foreColor = 0, windowMode = 0;
    OptionSettings s;
    auto take = [&r](std::initializer_list<int32_t*> fields) {
        for (int32_t* field : fields) {
            auto v = r.integer();
            if (!v) return false;
            *field = *v;
        }
        return true;
    };
    if (!take({&started, &s.taxRatePercent, &s.consumptionTaxPercent, &s.copyPlusMode, &s.smokingYears,
               &boxCount, &s.mainLeft, &s.mainTop, &backColor, &foreColor}))
        return std::nullopt;
    auto link = r.text();
    if (!link) return std::nullopt;
    s.linkUrl = *link;
    if (!take({&windowMode, &s.miniLeft, &s.miniTop})) return std::nullopt;
    auto mode = r.text();
    if (!mode) return std::nullopt;
    s.statusMode = *mode;
    // Any number but 0 has started the quit; only 1 shows packs and cartons.
    s.quitStarted = Flag::FromFile(started, started != 0);
    s.showBoxCount = Flag::FromFile(boxCount, boxCount == 1);
    s.backColor = Rgb::FromBgr(backColor);
    s.foreColor = Rgb::FromBgr(foreColor);
    s.windowMode = static_cast<WindowMode>(windowMode);
    return s;
}

OptionSettings AsStored(const OptionSettings& s) {
    // A written line always reads back.
    return ParseOptionFile(Utf8ToShiftJis(FormatOptionLine(s))).value_or(s);
}

SettingsStore::SettingsStore(std::string baseFolder) : base_(std::move(baseFolder)) {}

std::string SettingsStore::dataFolder() const { return JoinPath(base_, kDataFolder); }
std::string SettingsStore::initialPath() const { return dataFolder() + "/" + kInitialName; }
std::string SettingsStore::optionPath() const { return dataFolder() + "/" + kOptionName; }

void SettingsStore::ensureDataFolder() {
    if (folder_.held() && folder_.stillThere()) return;
    folder_ = DataFolder::Open(dataFolder(), DataFolder::Create::Yes, DataFolder::Trust::Own, folderProblem_);
}

const DataFolder* SettingsStore::folder() const {
    if (!folder_.held())
        folder_ =
            DataFolder::Open(dataFolder(), DataFolder::Create::No, DataFolder::Trust::Own, folderProblem_);
    return folder_.held() ? &folder_ : nullptr;
}

std::vector<FileOutcome> SettingsStore::keepingProblems() const {
    const DataFolder* held = folder();
    if (held == nullptr) return {folderProblem_};
    std::vector<FileOutcome> problems;
    for (const File file : {File::Initial, File::Option})
        if (isBlocked(file)) problems.push_back(blockage(file));
    // Each save lands beside its file's target (a link may lead elsewhere):
    // every such folder must take a record's worth of bytes right now.
    std::vector<std::pair<dev_t, ino_t>> tried;
    for (const File file : {File::Initial, File::Option}) {
        if (isBlocked(file)) continue;
        if (FileOutcome trial = held->trialWrite(NameOf(pathOf(file)), kTrialBytes, tried); !trial)
            problems.push_back(trial);
    }
    if (!problems.empty()) return problems;
    for (const File file : {File::Initial, File::Option}) {
        const ReadOutcome there = probe(file);
        if (there.state == ReadOutcome::State::Blocked) problems.push_back(there.blocked);
        if (there.state == ReadOutcome::State::Missing)
            problems.push_back({FileProblem::Other, ENOENT, pathOf(file), {}});
    }
    return problems;
}

std::string SettingsStore::pathOf(File file) const {
    return file == File::Initial ? initialPath() : optionPath();
}

ReadOutcome SettingsStore::probe(File file) const {
    ReadOutcome out;
    if (isBlocked(file)) {
        out.state = ReadOutcome::State::Blocked;
        out.blocked = blockage(file);
        return out;
    }
    const DataFolder* held = folder();
    if (held != nullptr) return held->read(NameOf(pathOf(file)));
    // No folder at all is a record not made yet; one that may not be used
    // is said, never read through.
    if (folderProblem_.problem != FileProblem::NoFolder) {
        out.state = ReadOutcome::State::Blocked;
        out.blocked = folderProblem_;
    }
    return out;
}

bool SettingsStore::canOpenInitial() const { return probe(File::Initial).state == ReadOutcome::State::Read; }
bool SettingsStore::canOpenOption() const { return probe(File::Option).state == ReadOutcome::State::Read; }

void SettingsStore::block(File file, FileOutcome why) {
    if (why.path.empty()) why.path = pathOf(file);
    if (why) why.problem = FileProblem::Other;
    (file == File::Initial ? blockedInitial_ : blockedOption_) = std::move(why);
}

const FileOutcome& SettingsStore::blockage(File file) const {
    return file == File::Initial ? blockedInitial_ : blockedOption_;
}

bool SettingsStore::isBlocked(File file) const { return !blockage(file); }

std::optional<InitialSettings> SettingsStore::readInitial() const {
    const ReadOutcome there = probe(File::Initial);
    if (there.state != ReadOutcome::State::Read) return std::nullopt;
    return ParseInitialFile(there.bytes);
}

std::optional<OptionSettings> SettingsStore::readOption() const {
    const ReadOutcome there = probe(File::Option);
    if (there.state != ReadOutcome::State::Read) return std::nullopt;
    return ParseOptionFile(there.bytes);
}

FileOutcome SettingsStore::write(File file, std::string_view bytes) const {
    if (isBlocked(file)) return blockage(file);
    const DataFolder* held = folder();
    if (held == nullptr) return folderProblem_;
    std::string note;
    if (FileOutcome kept = keepWhatDoesNotRead(*held, file, bytes, note); !kept) return kept;
    FileOutcome written = held->replace(NameOf(pathOf(file)), bytes);
    written.note = std::move(note);
    return written;
}

FileOutcome SettingsStore::keepWhatDoesNotRead(const DataFolder& held, File file, std::string_view bytes,
                                               std::string& note) const {
    const std::string name = NameOf(pathOf(file));
    const ReadOutcome there = held.read(name);
    if (there.state != ReadOutcome::State::Read || there.bytes.empty() || there.bytes == bytes) return {};
    auto unreadable = [](File f, const std::string& b) {
        return f == File::Initial ? !ParseInitialFile(b) : !ParseOptionFile(b);
    };
    std::string suffix;
    if (unreadable(file, there.bytes)) {
        suffix = ".unreadable";
    } else if (file == File::Initial) {
        // The record is the pair: with option.ini unreadable the setup runs
        // again, and its start would replace a quit moment that did read.
        const ReadOutcome option = held.read(kOptionName);
        if (option.state == ReadOutcome::State::Read && !option.bytes.empty() &&
            unreadable(File::Option, option.bytes))
            suffix = ".before-setup";
    }
    if (suffix.empty()) return {};
    if (now_) suffix.append("-").append(StampOf(now_()));
    std::string kept;
    FileOutcome outcome = held.keepCopy(name, suffix, kept);
    if (outcome) note = KeptNote(pathOf(file), kept, suffix.rfind(".unreadable", 0) == 0);
    return outcome;
}

FileOutcome SettingsStore::writeInitial(const InitialSettings& s) const {
    return write(File::Initial, Utf8ToShiftJis(FormatInitialLine(s)));
}

FileOutcome SettingsStore::writeOption(const OptionSettings& s) const {
    return write(File::Option, Utf8ToShiftJis(FormatOptionLine(s)));
}

bool AdoptRecord(const SettingsStore& from, SettingsStore& to) {
    FileOutcome why;
    const DataFolder old =
        DataFolder::Open(from.dataFolder(), DataFolder::Create::No, DataFolder::Trust::OwnStrict, why);
    if (!old.held()) return false;
    struct stat st {};
    struct stat other {};
    if (::fstat(old.fd(), &st) == 0 && ::stat(to.dataFolder().c_str(), &other) == 0 &&
        st.st_dev == other.st_dev && st.st_ino == other.st_ino)
        return false;
    // Anything standing there already, readable or not, is the user's own:
    // an initial.ini alone is a record whose setup is being made again.
    if (Occupied(to.initialPath()) || Occupied(to.optionPath())) return false;
    // The user's own files, which nobody else could have written.
    auto own = [](const ReadOutcome& r) {
        return r.state == ReadOutcome::State::Read && r.owner == ::geteuid() && (r.mode & 022) == 0;
    };
    const ReadOutcome option = old.read(kOptionName);
    if (!own(option) || !ParseOptionFile(option.bytes)) return false;
    const ReadOutcome initial = old.read(kInitialName);
    if (initial.state != ReadOutcome::State::Missing && !own(initial)) return false;
    to.ensureDataFolder();
    const DataFolder* into = to.folder();
    if (into == nullptr) return false;
    if (initial.state == ReadOutcome::State::Read && !into->replace(kInitialName, initial.bytes))
        return false;
    return static_cast<bool>(into->replace(kOptionName, option.bytes));
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

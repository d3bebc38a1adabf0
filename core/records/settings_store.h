#pragma once
// The settings store: the one-line file format of initial.ini and option.ini,
// and reading and writing them in the data folder "kemlessdata".
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/data_folder.h"
#include "records/record_file.h"
#include "records/settings.h"

namespace kemless {

// The exact line of each file (UTF-8, before Shift_JIS encoding), CR LF included.
// A double quote cannot stand inside a quoted field of this format, so it is
// dropped from text fields: a written file always reads back.
std::string FormatInitialLine(const InitialSettings& s);
std::string FormatOptionLine(const OptionSettings& s);

// Parse the bytes of a file (Shift_JIS). nullopt when the file is unreadable
// as a whole: it ends early, or a numeric field is not a plain 32-bit decimal.
std::optional<InitialSettings> ParseInitialFile(std::string_view bytes);
std::optional<OptionSettings> ParseOptionFile(std::string_view bytes);

// The record as its file holds it once written and read back: the texts
// through Shift_JIS ("?" for what it cannot hold, U+FFFD included) and
// without double quotes.
OptionSettings AsStored(const OptionSettings& s);

class SettingsStore {
public:
    // `baseFolder` holds the data folder: the per-user data folder, or the
    // one the command line names. Paths are bytes, used as given.
    explicit SettingsStore(std::string baseFolder);

    // The local time a kept copy's name carries (see write below); without
    // a clock the name has no time in it.
    void setClock(std::function<CalendarMoment()> now) { now_ = std::move(now); }

    const std::string& baseFolder() const { return base_; }
    std::string dataFolder() const;
    std::string initialPath() const;
    std::string optionPath() const;

    // Make "kemlessdata", and the base folder above it when that is missing
    // too, and hold it open from here on (again when the held one has been
    // removed). A folder that is not the user's, or that others may write
    // in, is not held: folderProblem() says why, and nothing is written.
    void ensureDataFolder();
    // The held data folder, opened (never made) at the first need; null
    // when there is none to hold. Everything that lives beside the record
    // goes through it.
    const DataFolder* folder() const;
    // Why no folder is held, when none is.
    const FileOutcome& folderProblem() const { return folderProblem_; }

    // Everything that keeps the record from being kept here, each naming its
    // file or folder and why; empty when all is well. The data folder must
    // be held, no file may be blocked, every folder a save lands in must take
    // a record's worth of bytes right now (a full disk shows here, before
    // anybody types a setting), and both files must exist as plain files.
    std::vector<FileOutcome> keepingProblems() const;

    enum class File { Initial, Option };
    std::string pathOf(File file) const;
    // What stands at a record file's name: a record to read, nothing, or
    // something that is no record or may not be read.
    ReadOutcome probe(File file) const;
    bool canOpenInitial() const;
    bool canOpenOption() const;
    // A file this run could not read is never written in this run either:
    // what stands there is the user's, or somebody else's, not ours to replace.
    void block(File file, FileOutcome why);
    bool isBlocked(File file) const;
    // Why the file is blocked; no problem when it is not.
    const FileOutcome& blockage(File file) const;

    std::optional<InitialSettings> readInitial() const;
    std::optional<OptionSettings> readOption() const;
    // Nothing unreadable is lost: before a save replaces a file whose bytes
    // do not read as a record, they are kept beside it as
    // "NAME.unreadable-YYYY-MM-DD-HHMM"; and before initial.ini is replaced
    // while option.ini does not read (the setup runs again, and its start
    // sets a new quit moment), initial.ini is kept as
    // "initial.ini.before-setup-…". The outcome's note says where. When the
    // bytes cannot be kept, the file is not replaced.
    FileOutcome writeInitial(const InitialSettings& s) const;
    FileOutcome writeOption(const OptionSettings& s) const;

private:
    FileOutcome write(File file, std::string_view bytes) const;
    FileOutcome keepWhatDoesNotRead(const DataFolder& folder, File file, std::string_view bytes,
                                    std::string& note) const;

    std::string base_;
    mutable DataFolder folder_;
    mutable FileOutcome folderProblem_;
    std::function<CalendarMoment()> now_;
    FileOutcome blockedInitial_;
    FileOutcome blockedOption_;
};

// The current working directory, or "." when it cannot be read.
std::string CurrentWorkingDirectory();

// Older versions kept the record in the folder they were started from. When
// `to` holds neither file (nothing at either name, not even a link) and
// `from` holds a readable option.ini, both files are copied byte for byte
// (option.ini, which marks a started record, last); the old files stay
// where they are, and nothing in `to` is ever replaced. Only what is the
// user's is adopted: the old folder and both files owned by the user, and
// nobody else may write in them. True when copied.
bool AdoptRecord(const SettingsStore& from, SettingsStore& to);

// The base folder named on the command line, taken relative to the working
// directory when it is not absolute.
std::string ResolveBaseFolder(const std::string& given, const std::string& workingDirectory);

}  // namespace kemless

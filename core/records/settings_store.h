#pragma once
// The settings store: the one-line file format of initial.ini and option.ini,
// and reading and writing them in the data folder "kemlessdata".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // one the command line names.
    explicit SettingsStore(std::string baseFolder);

    const std::string& baseFolder() const { return base_; }
    std::string dataFolder() const;
    std::string initialPath() const;
    std::string optionPath() const;

    // Make "kemlessdata", and the base folder above it when that is missing
    // too; an existing folder or a failure is not an error.
    void ensureDataFolder() const;
    // Everything that keeps the record from being kept here, each naming its
    // file or folder and why; empty when all is well. The data folder must
    // exist, no file may be blocked, every folder a save lands in must take
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
    FileOutcome writeInitial(const InitialSettings& s) const;
    FileOutcome writeOption(const OptionSettings& s) const;

private:
    FileOutcome write(File file, std::string_view bytes) const;

    std::string base_;
    FileOutcome blockedInitial_;
    FileOutcome blockedOption_;
};

// The current working directory, or "." when it cannot be read.
std::string CurrentWorkingDirectory();

// Older versions kept the record in the folder they were started from. When
// `to` holds neither file (nothing at either name, not even a link) and
// `from` holds a readable option.ini, both files are copied byte for byte
// (option.ini, which marks a started record, last);
// the old files stay where they are, and nothing in `to` is ever replaced.
// True when copied.
bool AdoptRecord(const SettingsStore& from, const SettingsStore& to);

// The base folder named on the command line, taken relative to the working
// directory when it is not absolute.
std::string ResolveBaseFolder(const std::string& given, const std::string& workingDirectory);

}  // namespace kemless

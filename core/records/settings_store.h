#pragma once
// The settings store: the one-line file format of initial.ini and option.ini,
// and reading and writing them in the data folder "kemlessdata".
#include <optional>
#include <string>
#include <string_view>

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

// Writes through a temporary file in the same folder that is renamed over the
// target only when complete, so a crash or a full disk never leaves a
// truncated file. Returns false (and leaves the old file) on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

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
    // Why the record could not be kept here, or KeptFine when it can: the data
    // folder exists and takes new files, and both files exist as plain files.
    enum class Keeping { KeptFine, NoFolder, FolderNotWritable, FileMissing, FileIsNoFile };
    Keeping checkKeeping() const;
    bool canOpenInitial() const;
    bool canOpenOption() const;
    std::optional<InitialSettings> readInitial() const;
    std::optional<OptionSettings> readOption() const;
    bool writeInitial(const InitialSettings& s) const;
    bool writeOption(const OptionSettings& s) const;

private:
    std::string base_;
};

// The current working directory, or "." when it cannot be read.
std::string CurrentWorkingDirectory();

// Older versions kept the record in the folder they were started from. When
// `to` holds no option.ini yet and `from` holds a readable one, both files are
// copied byte for byte (initial.ini first, so an interrupted copy is simply
// made again next time); the old files stay where they are. True when copied.
bool AdoptRecord(const SettingsStore& from, const SettingsStore& to);

// The base folder named on the command line, taken relative to the working
// directory when it is not absolute.
std::string ResolveBaseFolder(const std::string& given, const std::string& workingDirectory);

}  // namespace kemless

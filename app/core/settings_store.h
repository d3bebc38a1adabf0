#pragma once
// The settings store: the one-line file format of initial.ini and option.ini,
// and reading and writing them in the data folder "kemlessdata".
#include <optional>
#include <string>
#include <string_view>

#include "app/core/settings.h"

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
    // `baseFolder` is the working directory captured once at start.
    explicit SettingsStore(std::string baseFolder);

    const std::string& baseFolder() const { return base_; }
    std::string dataFolder() const;
    std::string initialPath() const;
    std::string optionPath() const;

    // Make "kemlessdata"; an existing folder or a failure is not an error.
    void ensureDataFolder() const;
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

}  // namespace kemless

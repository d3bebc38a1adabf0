#pragma once
// --autostart on|off: the XDG autostart entry that starts the program at
// login, hidden in the notification area with milestone notices on. Plain
// file work: no display, no record touched.
#include <string>

namespace kemless {

// $XDG_CONFIG_HOME/autostart/kemless.desktop; ~/.config when the variable is
// unset, empty or not an absolute path.
std::string AutostartEntryPath();

// Why `text` (a folder or the program's path) cannot stand in an entry's
// Exec line so that GLib and a runner that passes the line to `sh -c` read
// the same argument: not UTF-8, a control character, or one of " ` $ \ %.
// Empty when it can.
std::string WhyNoEntryCanHold(const std::string& text);

// One argument of an Exec= line as the desktop entry rules want it: quoted
// when it holds a reserved character, `"` ``​` `` `$` `\` escaped inside the
// quotes, then every backslash doubled for the string value and every % as %%.
std::string ExecArgument(const std::string& argument);

// The whole entry for `program` (an absolute path) and `dataDir` (absolute,
// or empty for the per-user data folder).
std::string AutostartEntry(const std::string& program, const std::string& dataDir);

struct AutostartResult {
    int exitCode = 0;
    std::string line;  // what was done, or why it failed; without a line end
};

AutostartResult SetAutostart(bool on, const std::string& entryPath, const std::string& program,
                             const std::string& dataDir);

// The absolute path of the running executable; empty when it cannot be told.
std::string RunningProgramPath();

}  // namespace kemless

#pragma once
// --autostart on|off|status: the XDG autostart entry that starts the
// program at login, hidden in the notification area with milestone notices
// on, written as well-kept tray programs write theirs. Plain file work: no
// display, no record touched.
#include <string>
#include <string_view>
#include <vector>

namespace kemless {

// Where a login start is looked for: the user's entry, which wins, and the
// system-wide ones ($XDG_CONFIG_DIRS, /etc/xdg when unset), in order.
struct AutostartPlaces {
    std::string userEntry;
    std::vector<std::string> systemEntries;
};
// $XDG_CONFIG_HOME/autostart/kemless.desktop (~/.config when the variable
// is unset, empty or not an absolute path), and kemless.desktop in the
// autostart folder of each absolute folder of XDG_CONFIG_DIRS.
AutostartPlaces AutostartEntryPlaces();

// Why `text` (a folder or the program's path) cannot stand in an entry's
// Exec line so that GLib and a runner that passes the line to `sh -c` read
// the same argument: not UTF-8, a control character, or one of " ` $ \ %.
// Empty when it can.
std::string WhyNoEntryCanHold(const std::string& text);

// One argument of an Exec= line as the desktop entry rules want it: quoted
// when it holds a reserved character, `"` ``​` `` `$` `\` escaped inside the
// quotes, then every backslash doubled for the string value and every % as %%.
std::string ExecArgument(const std::string& argument);
// The arguments an Exec= value runs, as a launcher reads them (field codes
// dropped); empty when the line does not read.
std::vector<std::string> ExecArguments(std::string_view value);

// The whole entry for `program` (an absolute path) and `dataDir` (absolute,
// or empty for the per-user data folder).
std::string AutostartEntry(const std::string& program, const std::string& dataDir);
// An entry of the user's with this program's keys in it: what makes it
// start this program (Type, Exec, TryExec, enabled, and no Hidden) is set,
// the rest of ours is added where missing, and every other line, group and
// key the user has stays as it is.
std::string AutostartEntryFrom(std::string_view existing, const std::string& program,
                               const std::string& dataDir);
// The same entry switched off (Hidden=true), everything else kept.
std::string DisabledEntry(std::string_view existing);
// A key's value in the [Desktop Entry] group, string escapes undone.
std::string EntryValue(std::string_view entry, std::string_view key);

struct AutostartResult {
    int exitCode = 0;
    std::vector<std::string> lines;     // what was done or found, or why it failed (standard error then)
    std::vector<std::string> warnings;  // said on standard error, whatever the outcome
};

// `on` refuses a `dataDir` that holds no started record. A program that
// runs from a build folder is registered with a warning.
AutostartResult SetAutostart(bool on, const AutostartPlaces& places, const std::string& program,
                             const std::string& dataDir);
// On or off, which entry decides it and which command it runs; warns when
// that command is missing or cannot run, or its record folder holds none.
AutostartResult AutostartStatus(const AutostartPlaces& places);

// The absolute path of the running executable; empty when it cannot be told.
std::string RunningProgramPath();

}  // namespace kemless

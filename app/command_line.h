#pragma once
// The command line, read before any window or folder is made, so --help,
// --version and a mistake answer without a display and leave no trace.
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace kemless {

struct CommandLine {
    enum class Action {
        Run,
        Help,
        Version,
        Error,
        AutostartOn,
        AutostartOff,
        AutostartStatus,
        Summary,    // --summary: the six lines of the copy button
        Short,      // --short: the one line
        Compact,    // --short --compact, --days: 「卒煙122日・84,477円」
        Json,       // --summary --format=json, --json
        ExportCsv,  // --export csv: the journal's urges, slips and attempts
    };
    Action action = Action::Run;
    std::string dataDir;  // the bytes as given; empty: the per-user data folder
    bool hidden = false;  // start in the notification area
    bool notify = false;  // a desktop notice at each milestone
    bool markup = false;  // the printed text escaped for Pango markup
    QString error;        // one line, for Action::Error
    QString platform;     // Qt's -platform, when given
    // A window beside the display to open at start, or in the copy that
    // runs already: "craving", "record", "health", "plan"; empty for none.
    QString window;

    bool platformChosen() const;
};

// `arguments` as in argv, program name first. Qt's own options (-platform
// NAME, -style NAME, …) are accepted and left to Qt. The folder of
// --data-dir is taken from the bytes themselves, never re-encoded.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

QString UsageText();
QString VersionText();

}  // namespace kemless

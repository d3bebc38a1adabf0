#pragma once
// The command line, read before any window or folder is made, so --help,
// --version and a mistake answer without a display and leave no trace.
#include <QString>
#include <QStringList>

namespace kemless {

struct CommandLine {
    enum class Action { Run, Help, Version, Error, AutostartOn, AutostartOff, Summary, Short };
    Action action = Action::Run;
    QString dataDir;      // as given; empty: the per-user data folder
    bool hidden = false;  // start in the notification area
    bool notify = false;  // a desktop notice at each milestone
    QString error;        // one line, for Action::Error
    QString platform;     // Qt's -platform, when given

    bool platformChosen() const;
};

// `arguments` as in argv, program name first. Qt's own options (-platform
// NAME, -style NAME, …) are accepted and left to Qt.
CommandLine ParseCommandLine(const QStringList& arguments);

QString UsageText();
QString VersionText();

}  // namespace kemless

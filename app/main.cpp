// ケムレス: a desktop companion for someone who has just quit smoking.
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "desktop/clock.h"
#include "desktop/desktop.h"
#include "records/settings_store.h"
#include "session/command_line.h"
#include "session/platform.h"
#include "session/process.h"
#include "session/session.h"
#include "session/termination.h"
#include "session/ui_setup.h"

namespace {

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Read before anything else is made: --help and --version need no display
    // and leave no folder behind.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const kemless::CommandLine command = kemless::ParseCommandLine(arguments);
    switch (command.action) {
        case kemless::CommandLine::Action::Help:
            Print(stdout, kemless::UsageText());
            return 0;
        case kemless::CommandLine::Action::Version:
            Print(stdout, kemless::VersionText());
            return 0;
        case kemless::CommandLine::Action::Error:
            Print(stderr, command.error + QLatin1Char('\n') + kemless::UsageText());
            return 2;
        case kemless::CommandLine::Action::Run:
            break;
    }

    std::vector<char*> qtArguments(argv, argv + argc);
    static char platformOption[] = "-platform";
    QByteArray platform = kemless::PreferredPlatform(
        command.platformChosen() || qEnvironmentVariableIsSet("QT_QPA_PLATFORM"), qgetenv("DISPLAY"));
    if (!platform.isEmpty()) {
        qtArguments.push_back(platformOption);
        qtArguments.push_back(platform.data());
    }
    qtArguments.push_back(nullptr);
    int qtArgc = static_cast<int>(qtArguments.size()) - 1;
    kemless::GuardWindowSystemStart();
    QApplication app(qtArgc, qtArguments.data());
    kemless::EndWindowSystemGuard();
    kemless::SetUpApplication(app);

    // The record lives in the per-user data folder unless the command line
    // names another base folder.
    const std::string cwd = kemless::CurrentWorkingDirectory();
    std::string base = command.dataDir.isEmpty()
                           ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation).toStdString()
                           : kemless::ResolveBaseFolder(command.dataDir.toStdString(), cwd);
    // No home folder to speak of: the working directory, as older versions did.
    if (base.empty()) base = cwd;
    // A record an older version left in the working directory moves in with
    // the first start that finds the per-user folder empty.
    if (command.dataDir.isEmpty()) kemless::AdoptRecord(kemless::SettingsStore(cwd), kemless::SettingsStore(base));

    kemless::Clock clock;
    kemless::Desktop desktop;
    kemless::Process process;
    kemless::Session session(clock, desktop, process, base);
    kemless::EndOnTerminationSignals(&session, [&session] { session.end(); });
    session.start();
    // A signal during a start-up message: the end has come before the loop.
    if (process.quitRequested()) return 0;
    // After the first window: the first paint does not need the answer.
    QTimer::singleShot(0, &session, [&desktop] {
        kemless::WarnIfNoJapaneseFont(QFontDatabase::families(QFontDatabase::Japanese), desktop);
    });
    return app.exec();
}

// ケムレス: a desktop companion for someone who has just quit smoking.
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "companion/autostart.h"
#include "companion/companion.h"
#include "companion/summary_output.h"
#include "companion/tray_presence.h"
#include "desktop/desktop.h"
#include "instance/process.h"
#include "instance/standard_error.h"
#include "instance/termination.h"
#include "journal/journal_book.h"
#include "platform.h"
#include "records/settings_store.h"
#include "records/user_folders.h"
#include "session/session.h"
#include "session/system_clock.h"
#include "ui_setup.h"

namespace {

void Print(std::FILE* stream, const QString& text) { std::fputs(text.toLocal8Bit().constData(), stream); }

// A task's line: its output on standard output, a refusal or warning the
// way every line reaches standard error.
void PrintLine(std::FILE* stream, const std::string& line) {
    if (stream == stderr) {
        kemless::SayOnStandardError(line);
        return;
    }
    std::fputs(line.c_str(), stream);
    std::fputc('\n', stream);
}

// The base folder of the record: the one --data-dir names, else the
// per-user data folder ($XDG_DATA_HOME/kemless, ~/.local/share/kemless);
// with no home folder to speak of, the working directory, as older versions
// did. Bytes throughout: a folder name that is not UTF-8 stays as it is.
std::string BaseFolder(const kemless::CommandLine& command, const std::string& cwd) {
    if (!command.dataDir.empty()) return kemless::ResolveBaseFolder(command.dataDir, cwd);
    const std::string data = kemless::XdgBaseFolder(std::getenv("XDG_DATA_HOME"),
                                                    kemless::HomeFolder(std::getenv("HOME")), ".local/share");
    return data.empty() ? cwd : data + "/kemless";
}

// --summary, --short, --json, --days: a text on standard output, and nothing else done.
int PrintSummary(const kemless::CommandLine& command, kemless::SummaryKind kind) {
    kemless::SystemClock clock;
    const kemless::SettingsStore store(BaseFolder(command, kemless::CurrentWorkingDirectory()));
    const kemless::SummaryOutput output =
        kemless::MakeSummaryOutput(kind, store, clock.now(), clock.draw(), command.markup);
    if (output.exitCode != 0) {
        PrintLine(stderr, output.error);
        return output.exitCode;
    }
    // UTF-8 whatever the locale: panels and scripts read it as such.
    std::fwrite(output.out.data(), 1, output.out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// --export csv: the journal as CSV on standard output, and nothing else done.
int ExportCsv(const kemless::CommandLine& command) {
    const kemless::SettingsStore store(BaseFolder(command, kemless::CurrentWorkingDirectory()));
    const kemless::SummaryOutput output = kemless::MakeJournalCsv(store);
    if (output.exitCode != 0) {
        PrintLine(stderr, output.error);
        return output.exitCode;
    }
    std::fwrite(output.out.data(), 1, output.out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// --autostart on|off|status: lines on standard output (standard error when
// it failed), warnings on standard error.
int Autostart(const kemless::CommandLine& command) {
    kemless::AutostartResult result;
    if (command.action == kemless::CommandLine::Action::AutostartStatus) {
        result = kemless::AutostartStatus(kemless::AutostartEntryPlaces());
    } else {
        // The entry names the record's folder absolutely: a login start runs
        // from the home folder, not from where this was typed.
        const std::string dataDir =
            command.dataDir.empty()
                ? std::string()
                : kemless::ResolveBaseFolder(command.dataDir, kemless::CurrentWorkingDirectory());
        result =
            kemless::SetAutostart(command.action == kemless::CommandLine::Action::AutostartOn,
                                  kemless::AutostartEntryPlaces(), kemless::RunningProgramPath(), dataDir);
    }
    for (const std::string& line : result.lines) PrintLine(result.exitCode == 0 ? stdout : stderr, line);
    for (const std::string& line : result.warnings) PrintLine(stderr, line);
    return result.exitCode;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Read before anything else is made: --help and --version need no display
    // and leave no folder behind.
    const kemless::CommandLine command =
        kemless::ParseCommandLine(std::vector<std::string>(argv, argv + argc));
    switch (command.action) {
        case kemless::CommandLine::Action::Help: Print(stdout, kemless::UsageText()); return 0;
        case kemless::CommandLine::Action::Version: Print(stdout, kemless::VersionText()); return 0;
        case kemless::CommandLine::Action::Error:
            Print(stderr, command.error + QLatin1Char('\n') + kemless::UsageText());
            return 2;
        case kemless::CommandLine::Action::Summary:
            return PrintSummary(command, kemless::SummaryKind::Summary);
        case kemless::CommandLine::Action::Short: return PrintSummary(command, kemless::SummaryKind::Short);
        case kemless::CommandLine::Action::Compact:
            return PrintSummary(command, kemless::SummaryKind::Compact);
        case kemless::CommandLine::Action::Json: return PrintSummary(command, kemless::SummaryKind::Json);
        case kemless::CommandLine::Action::ExportCsv: return ExportCsv(command);
        case kemless::CommandLine::Action::AutostartOn:
        case kemless::CommandLine::Action::AutostartOff:
        case kemless::CommandLine::Action::AutostartStatus: return Autostart(command);
        case kemless::CommandLine::Action::Run: break;
    }

    std::vector<char*> qtArguments(argv, argv + argc);
    static char platformOption[] = "-platform";
    QByteArray platform = kemless::PreferredPlatform(
        command.platformChosen() || qEnvironmentVariableIsSet("QT_QPA_PLATFORM"), qgetenv("DISPLAY"),
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"));
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
    kemless::SystemClock clock;
    kemless::Desktop desktop;
    kemless::Process process;
    // The journal beside the record: one for the run, which the session
    // keeps the record of urges in and the companion its notices.
    kemless::JournalBook journal;
    kemless::Session session(clock, desktop, process, BaseFolder(command, cwd), &journal);
    // A record an older version left in the working directory moves in with
    // the first start that finds the per-user folder empty.
    if (command.dataDir.empty()) session.setAdoptFrom(cwd);
    kemless::EndOnTerminationSignals(&session, [&session] { session.end(); });
    session.setStartHidden(command.hidden);
    session.setStartWindow(command.window);
    // The notification area followed from the first window hidden there.
    kemless::TrayPresence presence(session, desktop);
    // Made before the first refresh, which says what came while the program was off.
    std::optional<kemless::Companion> companion;
    if (command.notify) companion.emplace(session, journal);
    session.start();
    // A signal during a start-up message: the end has come before the loop.
    if (process.quitRequested()) return 0;
    // After the first window: the first paint does not need the answer.
    QTimer::singleShot(0, &session, [&desktop] {
        kemless::WarnIfNoJapaneseFont(QFontDatabase::families(QFontDatabase::Japanese), desktop);
    });
    return app.exec();
}

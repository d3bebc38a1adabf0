#pragma once
// The running program: it wires the windows and dialogs to the records and
// to the core. The record keeper holds the records and saves them, the
// placement module places, shows and restores the windows, each window and
// dialog renders and says what the user asked for; the session only puts
// them together, in the order the program's rules give. One instance lives
// for the whole process.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>
#include <utility>

#include "content/side_windows.h"
#include "desktop/placement.h"
#include "dialogs/help_window.h"
#include "display/display_state.h"
#include "instance/single_instance.h"
#include "session/desktop_actions.h"
#include "session/display_windows.h"
#include "session/first_run_flow.h"
#include "session/record_keeper.h"
#include "side/side_windows.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"

class QWidget;

namespace kemless {

class Clock;
class Desktop;
class DialogWindow;
class Process;
struct SettingsResult;
class SettingsDialog;

class Session : public QObject {
    Q_OBJECT
public:
    // `journal`: where urges, slips, attempts and notices are kept, shared
    // with whoever else follows it (the companion); without one the session
    // keeps its own.
    Session(Clock& clock, Desktop& desktop, Process& process, std::string baseFolder,
            JournalBook* journal = nullptr, QObject* parent = nullptr);
    ~Session() override;

    // Before start(): the display window starts in the notification area
    // (--hidden) instead of on the screen. Where there is none yet (a login
    // whose panel comes later), it waits minimised and goes in when one
    // comes. A hidden start that finds a copy running ends without a word
    // and leaves that copy as it is.
    void setStartHidden(bool hidden) { startHidden_ = hidden; }
    // The windows beside the display, by the names the command line and a
    // later start use (one table: content/side_windows.h).
    static constexpr const char* kCravingName = kCravingWindow.name;
    static constexpr const char* kRecordName = kRecordWindow.name;
    static constexpr const char* kHealthName = kHealthWindow.name;
    static constexpr const char* kPlanName = kPlanWindow.name;
    // Before start(): the window of this name opens once the display does
    // (--craving, --record, --health); when another copy runs, that copy is
    // asked to open it instead, and this one ends without a word in a box.
    void setStartWindow(const QString& name) { startWindow_ = name; }
    // The window of this name, made or brought forward; while no display
    // window is loaded (the setup, the ceremony or the settings are open)
    // those come forward instead, and a window asked for during the setup
    // opens once the quit has started. Unknown names are ignored.
    void openWindow(const QString& name);
    // Before start(): a record an older version left in this folder is
    // adopted when the data folder holds none (see AdoptRecord), once this
    // copy is the only one.
    void setAdoptFrom(std::string folder) { keeper_.setAdoptFrom(std::move(folder)); }
    // Start-up, in order: the one running copy, the data folder and files,
    // then the first window.
    void start();
    // A later start asked for this copy: the display window comes forward
    // (out of the notification area or from minimised), or the open dialog.
    void bringForward();
    // The end, in one place: the display windows store their places and
    // option.ini is written, then the event loop ends. Signals, log-out and
    // the last window gone all come here; it runs once.
    void end();

    const RecordKeeper& records() const { return keeper_; }
    const InitialSettings& initial() const { return keeper_.initial(); }
    const OptionSettings& options() const { return keeper_.options(); }
    const DisplayState& display() const { return display_; }
    MainWindow* mainWindow() const { return displays_.main(); }
    MiniWindow* miniWindow() const { return displays_.mini(); }
    // The display window of the current mode, while loaded.
    DisplayWindow* windowOfTheMode() const { return displays_.ofTheMode(); }
    HelpWindow* helpWindow() const { return actions_.helpWindow(); }
    CravingWindow* cravingWindow() const { return side_.craving(); }
    RecordWindow* recordWindow() const { return side_.record(); }
    HealthWindow* healthWindow() const { return side_.health(); }
    PlanWindow* planWindow() const { return side_.planWindow(); }
    // The windows beside the display, and the plan they keep.
    SideWindows& sideWindows() { return side_; }
    // The 30-second refresh: runs while a display window is loaded, shown
    // or hidden, so whichever of the two is on the screen stays current.
    QTimer* refreshTimer() { return &refreshTimer_; }

signals:
    // After every refresh, once the windows show the new figures.
    void refreshed(const kemless::DisplayState& display);
    // The notification area: a display window was hidden in it; a hidden
    // start put the window there, or minimised it waiting for an area
    // (`waitingForArea`); a later start or a notice brought it forward.
    void hiddenInArea();
    void startedHidden(bool waitingForArea);
    void broughtForward();

private:
    void refreshDisplay();
    void wireDisplayWindow(DisplayWindow* w);
    // The settings dialog opens once both display windows have unloaded.
    void openSettings(DisplayWindow* from);
    void settingsFinished(SettingsDialog* dialog, const SettingsResult& result);
    // The ceremony started the quit at `quit`: saved, the main window shown.
    void completeStart(DialogWindow* ceremony, const CalendarMoment& quit);
    // Says a save that failed, once.
    void sayIfNotSaved(QWidget* parent, const FileOutcome& saved);
    void track(QWidget* window);
    void endIfNoWindowLeft();
    // Settings or Setup while one of those stands in for the display
    // windows; Shown otherwise.
    RunningCopyAnswer openInstead() const;

    Clock& clock_;
    Desktop& desktop_;
    Process& process_;
    std::unique_ptr<JournalBook> ownJournal_;
    JournalBook& journal_;
    RecordKeeper keeper_;
    SideWindows side_;
    DisplayWindows displays_;
    DesktopActions actions_;
    FirstRunFlow firstRun_;
    DisplayState display_;

    // Every loaded window, newest last: the program ends when none is left.
    QList<QPointer<QWidget>> windows_;
    QTimer refreshTimer_;
    bool ending_ = false;
    bool startHidden_ = false;
    QString startWindow_;
    // Asked for before the quit had started: opens when it has.
    QString windowAfterSetup_;
};

}  // namespace kemless

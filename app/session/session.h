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

#include "desktop/placement.h"
#include "dialogs/craving_window.h"
#include "dialogs/health_window.h"
#include "dialogs/help_window.h"
#include "dialogs/record_window.h"
#include "display/display_state.h"
#include "session/record_keeper.h"
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
    // How long after a change of the notification area it is looked at a
    // second time (see watchNotificationArea).
    static constexpr int kAreaSettleMs = 500;

    Session(Clock& clock, Desktop& desktop, Process& process, std::string baseFolder,
            QObject* parent = nullptr);
    ~Session() override;

    // Before start(): the display window starts in the notification area
    // (--hidden) instead of on the screen. Where there is none yet (a login
    // whose panel comes later), it waits minimised and goes in when one
    // comes. A hidden start that finds a copy running ends without a word
    // and leaves that copy as it is.
    void setStartHidden(bool hidden) { startHidden_ = hidden; }
    // The windows beside the display, by the names the command line and a
    // later start use: "craving", "record", "health".
    static const char* const kCravingName;
    static const char* const kRecordName;
    static const char* const kHealthName;
    static bool IsWindowName(const QString& name);
    // Before start(): the window of this name opens once the display does
    // (--craving, --record, --health); when another copy runs, that copy is
    // asked to open it instead, and this one ends without a word in a box.
    void setStartWindow(const QString& name) { startWindow_ = name; }
    // The window of this name, made or brought forward; while no display
    // window is loaded (the setup, the ceremony or the settings are open)
    // those come forward instead. Unknown names are ignored.
    void openWindow(const QString& name);
    // Where urges, slips and attempts are kept (see RecordKeeper): the
    // journal beside the record unless another log is handed in (a test's).
    void setAttemptLog(std::unique_ptr<AttemptLog> log) { keeper_.setAttemptLog(std::move(log)); }
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
    // The clock's minute, as the next refresh would take it.
    CalendarMoment now() const;
    // One step on the journal beside the record (RecordKeeper::updateJournal):
    // false when the journal cannot be kept; the first time, that is said
    // once the step is over.
    bool updateJournal(const JournalDecision& decide);
    const InitialSettings& initial() const { return keeper_.initial(); }
    const OptionSettings& options() const { return keeper_.options(); }
    const DisplayState& display() const { return display_; }
    Desktop& desktop() const { return desktop_; }
    MainWindow* mainWindow() const { return main_; }
    MiniWindow* miniWindow() const { return mini_; }
    // The display window of the current mode, while loaded.
    DisplayWindow* windowOfTheMode() const;
    HelpWindow* helpWindow() const { return help_; }
    CravingWindow* cravingWindow() const { return craving_; }
    RecordWindow* recordWindow() const { return record_; }
    HealthWindow* healthWindow() const { return health_; }
    // The 30-second refresh: runs while a display window is loaded, shown
    // or hidden, so whichever of the two is on the screen stays current.
    QTimer* refreshTimer() { return &refreshTimer_; }

signals:
    // After every refresh, once the windows show the new figures.
    void refreshed(const kemless::DisplayState& display);

private:
    void refreshDisplay();
    // The windows beside the display show the same refresh.
    void renderSideWindows(const CalendarMoment& now);
    // Exit closes them with the display windows: they show its figures.
    void closeSideWindows();
    void answerCraving(bool passed);
    // From the first window hidden in the notification area (or a hidden
    // start) on, the area's comings and goings are followed: a window
    // hidden in an area that goes comes back, in every mode, and one that
    // a hidden start left minimised for want of an area goes into the one
    // that comes. Nothing is polled.
    void watchNotificationArea();
    void notificationAreaChanged();
    // Loading runs a window's load: placed, coloured, refreshed; not shown.
    MainWindow* loadMainWindow();
    MiniWindow* loadMiniWindow();
    void wireDisplayWindow(DisplayWindow* w);
    // The window that windowMode names, shown; the main window loaded too.
    void openDisplayWindowByMode();
    // Both display windows, `first` first: each stores its corner, then
    // option.ini is written once with both.
    void unloadDisplayWindows(DisplayWindow* first);

    void toggleElapsed();
    void switchToMini();
    void switchToStandard();
    void copy(QWidget* owner, const std::string& text);
    void openAddress(QWidget* owner, const QString& address);
    void showHelp();
    void showVersion(QWidget* owner);

    // The settings dialog opens once both display windows have unloaded.
    void openSettings(DisplayWindow* from);
    void settingsFinished(SettingsDialog* dialog, const SettingsResult& result);

    void showFirstRunSetup();
    void startQuit(DialogWindow* ceremony);
    // A declined ceremony says what happens next.
    void sayWhenDeclined(DialogWindow* ceremony);
    void completeStart(DialogWindow* ceremony, const CalendarMoment& quit);
    // Says a save that failed, once.
    void sayIfNotSaved(QWidget* parent, const FileOutcome& saved);

    void track(QWidget* window);
    void endIfNoWindowLeft();

    Clock& clock_;
    Desktop& desktop_;
    Process& process_;
    RecordKeeper keeper_;
    DisplayState display_;

    QPointer<MainWindow> main_;
    QPointer<MiniWindow> mini_;
    QPointer<HelpWindow> help_;
    QPointer<CravingWindow> craving_;
    QPointer<RecordWindow> record_;
    QPointer<HealthWindow> health_;
    // Every loaded window, newest last: the program ends when none is left.
    QList<QPointer<QWidget>> windows_;
    // Knows the frame the desktop drew around the last display window, so a
    // window can be kept on the screen before the desktop frames it.
    WindowPlacer placer_;
    QTimer refreshTimer_;
    bool ending_ = false;
    bool startHidden_ = false;
    QString startWindow_;
    bool areaWatched_ = false;
    bool areaCheckQueued_ = false;
    // A second look a moment after a change of the notification area.
    QTimer areaSettled_;
    // A hidden start found no notification area and minimised the window.
    bool waitingForArea_ = false;
};

}  // namespace kemless

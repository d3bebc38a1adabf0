#pragma once
// The running program: the two settings records, what the last refresh
// displayed, and the procedures that load, unload and switch the windows.
// It is the one place that knows every window and wires them to the core;
// the windows and dialogs only render and forward what the user asks for.
// One instance lives for the whole process.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <optional>
#include <utility>

#include "desktop/placement.h"
#include "dialogs/help_window.h"
#include "display/display_state.h"
#include "geometry/placement.h"
#include "records/settings_store.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"

class QWidget;

namespace kemless {

class Clock;
class Desktop;
class DialogWindow;
class Process;
class TrayIcon;

class Session : public QObject {
    Q_OBJECT
public:
    Session(Clock& clock, Desktop& desktop, Process& process, std::string baseFolder,
            QObject* parent = nullptr);
    ~Session() override;

    // Start-up: the data folder and files, then the first window.
    void start();
    // Before start(): the display window starts in the notification area
    // (--hidden) instead of on the screen.
    void setStartHidden(bool hidden) { startHidden_ = hidden; }

    Clock& clock() { return clock_; }
    Desktop& desktop() { return desktop_; }
    const SettingsStore& store() const { return store_; }
    InitialSettings& initial() { return initial_; }
    OptionSettings& options() { return options_; }
    const DisplayState& display() const { return display_; }

    MainWindow* mainWindow() const { return main_; }
    MiniWindow* miniWindow() const { return mini_; }
    TrayIcon* mainTray() const { return main_ ? main_->trayIcon() : nullptr; }
    TrayIcon* miniTray() const { return mini_ ? mini_->trayIcon() : nullptr; }
    HelpWindow* helpWindow() const { return help_; }

    // The 30-second refresh: runs while a display window is loaded, shown
    // or hidden, so whichever of the two is on the screen stays current.
    QTimer* refreshTimer() { return &refreshTimer_; }
    // Recompute every figure and render it into the loaded windows.
    void refreshDisplay();

    // What the user asks for in the display windows.
    void toggleElapsed();
    void showSettingsDialogFromMain();
    void showSettingsDialogFromMini();
    void switchToMini();
    void switchToStandard();
    void copySummary(QWidget* owner);
    void copyShort(QWidget* owner);
    void openLinkPage(QWidget* owner);
    void showHelp();
    void showVersion(QWidget* owner);
    // Closing either display window closes both, the one closed first.
    void unloadMainWindow();
    void unloadMiniWindow();

    // A later start asked for this copy: the display window comes forward
    // (out of the notification area or from minimised), or the open dialog.
    void bringForward();
    // Ends the program the way closing its windows does: the display windows
    // unload (and write option.ini) first. For signals and desktop log-out.
    void end();

signals:
    // After every refresh, once the windows show the new figures.
    void refreshed();

private:
    // Loading runs a window's load procedure; it does not show the window.
    // The main window reads both files first only at start; later the
    // records in memory are what the files hold.
    MainWindow* loadMainWindow(bool readFiles);
    MiniWindow* loadMiniWindow();
    void openSettingsDialog();
    // The window that windowMode names, after the settings dialog.
    void openDisplayWindowByMode();
    // The browser launch shared with the notice window.
    void openAddress(QWidget* owner, const QString& address);
    void showFirstRunSetup();
    // A later copy says so and ends here, before any window.
    void ensureSingleInstance();

    void wireDisplayWindow(DisplayWindow* w);
    // Both display windows, `first` first: each stores its corner and
    // writes option.ini, so the second write has both corners current.
    void unloadDisplayWindows(DisplayWindow* first);
    void unloadDisplayWindow(DisplayWindow* w);
    void track(QWidget* window);
    void endIfNoWindowLeft();
    void storeCorner(const QWidget* window, int32_t& left, int32_t& top);
    void storePlaceAndWrite(QWidget* window, int32_t& left, int32_t& top);
    // Writes both files for a change the user made; says once when that
    // failed, and returns false then.
    bool saveRecord(QWidget* parent);
    void writeQuietly(SettingsStore::File file);
    static void Discard(QWidget* window);
    void settingsSaved(DialogWindow* dialog, const InitialSettings& initial, const OptionSettings& options);
    void settingsCancelled(DialogWindow* dialog, const InitialSettings& edited,
                           const OptionSettings& editedOptions);
    void openNotice();
    void startQuit(DialogWindow* ceremony);
    void completeStart(DialogWindow* ceremony);
    void copy(QWidget* owner, const std::string& text);
    // The first display window of a start: shown, or kept out of sight
    // with --hidden as far as this desktop allows a way back.
    void showAtStart(DisplayWindow* window);
    // Native Wayland: a client cannot take its own window out of minimised,
    // so the window is mapped afresh instead.
    void remapIfMinimised(DisplayWindow* window);

    Clock& clock_;
    Desktop& desktop_;
    Process& process_;
    SettingsStore store_;
    InitialSettings initial_;
    OptionSettings options_;
    DisplayState display_;
    // The settings dialog's copies while the notice stands in its place.
    std::optional<std::pair<InitialSettings, OptionSettings>> editing_;

    QPointer<MainWindow> main_;
    QPointer<MiniWindow> mini_;
    QPointer<HelpWindow> help_;
    // Every loaded window, newest last: the program ends when none is left.
    QList<QPointer<QWidget>> windows_;
    // Knows the frame the desktop drew around the last display window, so a
    // window can be kept on the screen before the desktop frames it.
    WindowPlacer placer_;
    QTimer refreshTimer_;
    bool ending_ = false;
    bool startHidden_ = false;
};

}  // namespace kemless

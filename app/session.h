#pragma once
// The running program: the two settings records, what the last refresh
// displayed, and the procedures that load, unload and switch the windows.
// One instance lives for the whole process.
#include <QObject>
#include <QPointer>
#include <QString>

#include "app/core/settings_store.h"
#include "app/core/startup.h"
#include "dialogs/help_window.h"
#include "engine/refresh.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"
#include "windows/tray_icon.h"

class QWidget;

namespace kemless {

class Clock;
class Desktop;
class SettingsDialog;
class FirstRunSetup;

class Session : public QObject {
    Q_OBJECT
public:
    Session(Clock& clock, Desktop& desktop, std::string baseFolder, QObject* parent = nullptr);
    ~Session() override;

    // Start-up: the data folder and files, then the first window.
    void start();

    Clock& clock() { return clock_; }
    Desktop& desktop() { return desktop_; }
    const SettingsStore& store() const { return store_; }
    InitialSettings& initial() { return initial_; }
    OptionSettings& options() { return options_; }
    const DisplayState& display() const { return display_; }

    MainWindow* mainWindow() const { return form1_; }
    MiniWindow* miniWindow() const { return form7_; }
    TrayIcon* mainTray() const { return mainTray_; }
    TrayIcon* miniTray() const { return miniTray_; }
    HelpWindow* helpWindow() const { return help_; }

    // Recompute every figure and render it into the loaded windows.
    void updateProgress();
    void toggleElapsed();

    // Loading runs a window's load procedure; it does not show the window.
    // The main window normally reads both files first; after the settings
    // dialog in mini mode it keeps the records in memory instead.
    MainWindow* loadMainWindow(bool readFiles = true);
    MiniWindow* loadMiniWindow();
    void unloadMainWindow();
    void unloadMiniWindow();

    void showSettingsDialogFromMain();
    void showSettingsDialogFromMini();
    void openSettingsDialog();
    // The window that windowMode names, after the settings dialog.
    void openDisplayWindowByMode();
    void switchToMini();
    void switchToStandard();

    void hideToTray(QWidget* window);
    void restoreFromTray(QWidget* window);

    void copySummary(QWidget* owner);
    void copyShort(QWidget* owner);
    void openLinkPage(QWidget* owner);
    // The browser launch shared with the notice window.
    void openAddress(QWidget* owner, const QString& address);
    void showHelp();
    void showVersion(QWidget* owner);

    void showFirstRunSetup();
    // The single-instance rule of the main window and the first-run setup.
    void ensureSingleInstance();

    // Where a window stands, in whole twips.
    static Corner CornerOf(const QWidget* window);
    // Screen size in twips.
    static std::pair<int32_t, int32_t> ScreenTwips(const QWidget* window);

private:
    void connectMainWindow(MainWindow* w);
    void connectMiniWindow(MiniWindow* w);
    void place(QWidget* window, int32_t& left, int32_t& top, Margins margins);
    TrayIcon* trayOf(QWidget* window) const;
    void copy(QWidget* owner, const std::string& text);

    Clock& clock_;
    Desktop& desktop_;
    SettingsStore store_;
    InitialSettings initial_;
    OptionSettings options_;
    DisplayState display_;

    QPointer<MainWindow> form1_;
    QPointer<MiniWindow> form7_;
    QPointer<TrayIcon> mainTray_;
    QPointer<TrayIcon> miniTray_;
    QPointer<HelpWindow> help_;
    bool unloadingMain_ = false;
    bool unloadingMini_ = false;
};

}  // namespace kemless

#pragma once
// The two display windows, the main and the mini: loaded where the record
// keeps them and in its colours, shown as the window mode says, switched,
// and unloaded with both corners stored and option.ini written once. The
// main window is loaded whenever the mini one is: it never runs alone.
#include <QObject>
#include <QPointer>

#include "desktop/placement.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"

namespace kemless {

class Desktop;
class RecordKeeper;

class DisplayWindows : public QObject {
    Q_OBJECT
public:
    DisplayWindows(Desktop& desktop, RecordKeeper& keeper, QObject* parent = nullptr);

    MainWindow* main() const { return main_; }
    MiniWindow* mini() const { return mini_; }
    // The display window of the current mode, while loaded.
    DisplayWindow* ofTheMode() const;
    // Knows the frame the desktop drew around the last display window, so a
    // window can be kept on the screen before the desktop frames it.
    WindowPlacer& placer() { return placer_; }

    // Loading runs a window's load: refreshed, placed, coloured; not shown.
    MainWindow* loadMain();
    MiniWindow* loadMini();
    // The window that the window mode names, shown; the main window loaded too.
    void openByMode();
    // Both, `first` first: each stores its corner, then option.ini is
    // written once with both.
    void unload(DisplayWindow* first);
    void switchToMini();
    void switchToStandard();

signals:
    // Before a loaded window is placed: its text decides its size.
    void refreshWanted();
    void loaded(kemless::DisplayWindow* window);
    void unloaded();

private:
    Desktop& desktop_;
    RecordKeeper& keeper_;
    QPointer<MainWindow> main_;
    QPointer<MiniWindow> mini_;
    WindowPlacer placer_;
};

}  // namespace kemless

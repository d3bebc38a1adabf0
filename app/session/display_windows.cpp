#include "session/display_windows.h"

#include <optional>

#include "desktop/desktop.h"
#include "session/record_keeper.h"
#include "windows/tray_icon.h"

namespace kemless {

DisplayWindows::DisplayWindows(Desktop& desktop, RecordKeeper& keeper, QObject* parent)
    : QObject(parent), desktop_(desktop), keeper_(keeper) {}

DisplayWindow* DisplayWindows::ofTheMode() const {
    if (keeper_.options().windowMode == WindowMode::Mini && mini_) return mini_;
    return main_;
}

MainWindow* DisplayWindows::loadMain() {
    if (main_) return main_;
    auto* w = new MainWindow;
    main_ = w;
    w->hideDucks();
    emit refreshWanted();
    keeper_.storeMainCorner(placer_.placeDisplayWindow(w, keeper_.mainCorner(), kMainWindowMargins));
    w->setValueColors(keeper_.options().backColor, keeper_.options().foreColor);
    connect(w, &DisplayWindow::switchSizeRequested, this, &DisplayWindows::switchToMini);
    emit loaded(w);
    return w;
}

MiniWindow* DisplayWindows::loadMini() {
    if (mini_) return mini_;
    auto* w = new MiniWindow;
    mini_ = w;
    keeper_.storeMiniCorner(placer_.placeDisplayWindow(w, keeper_.miniCorner(), kMiniWindowMargins));
    w->setColors(keeper_.options().backColor, keeper_.options().foreColor);
    connect(w, &DisplayWindow::switchSizeRequested, this, &DisplayWindows::switchToStandard);
    emit loaded(w);
    emit refreshWanted();
    return w;
}

void DisplayWindows::openByMode() {
    // The records in memory are what the files hold, or newer where a save
    // failed: nothing is read back.
    if (keeper_.options().windowMode == WindowMode::Mini) {
        loadMain();
        loadMini()->show();
    } else {
        loadMain()->show();
    }
}

void DisplayWindows::unload(DisplayWindow* first) {
    if (!main_ && !mini_) return;
    const bool known = desktop_.windowPositionsKnown();
    DisplayWindow* second = first == main_ ? static_cast<DisplayWindow*>(mini_) : main_;
    for (DisplayWindow* w : {first, second}) {
        if (w == nullptr) continue;
        const std::optional<Corner> corner = CornerToStore(w, known);
        if (w == main_)
            keeper_.storeMainCorner(corner);
        else
            keeper_.storeMiniCorner(corner);
        w->trayIcon()->remove();
    }
    // Once, with both corners current.
    keeper_.writePositions();
    for (DisplayWindow* w : {first, second}) {
        if (w == nullptr) continue;
        w->hide();
        w->deleteLater();
    }
    main_ = nullptr;
    mini_ = nullptr;
    emit unloaded();
}

void DisplayWindows::switchToMini() {
    if (!main_) return;
    const bool firstOpening = keeper_.options().windowMode == WindowMode::MainMiniNeverOpened;
    MiniWindow* mini = loadMini();
    if (firstOpening) StandInPlaceOf(mini, main_);
    keeper_.setWindowMode(WindowMode::Mini);
    main_->hide();
    mini->show();
}

void DisplayWindows::switchToStandard() {
    keeper_.setWindowMode(WindowMode::Main);
    // Loaded already: the mini window never runs without it.
    loadMain()->show();
    if (mini_) mini_->hide();
}

}  // namespace kemless

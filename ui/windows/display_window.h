#pragma once
#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <vector>

class QLabel;
class QMenu;
class QTimer;

namespace kemless {

class TrayIcon;

// What the main and the mini window share: the actions of their context
// menus, hiding in the notification area and coming back from it, and
// closing for good. Each window only says which actions its menu lists, in
// which order, and where the keyboard opens the menu.
class DisplayWindow : public QWidget {
    Q_OBJECT
public:
    enum class Action {
        CopySummary,
        CopyShort,
        OpenLink,
        Settings,
        Version,
        SwitchSize,
        Help,
        Exit,
        Craving,
        Record,
        Health,
        Plan,
        HideToTray
    };

    // Made on first use: most starts never open it.
    QMenu* popupMenu();
    TrayIcon* trayIcon() const { return tray_; }

    // Hides the window and shows its icon in the notification area, saying
    // so to a screen reader. Without a notification area the window is
    // minimised instead: hidden, the user would have no way to bring it back.
    void hideToTray(bool trayAvailable);
    // Shown again (also from minimised), raised and given the keyboard where
    // it was when the window went; the icon goes.
    void restoreFromTray();
    // After a copy: 「コピーしました」, shown for a moment and announced.
    void sayCopied();
    QLabel* copiedLabel() const { return copied_; }
    // The first display window of a start: shown, or with `hidden`
    // (--hidden) kept out of sight as far as this desktop allows a way back.
    void showAtStart(bool hidden, bool trayAvailable, bool positionsKnown);

signals:
    void copySummaryRequested();
    void copyShortRequested();
    void openLinkRequested();
    void settingsRequested();
    void versionRequested();
    // The main window's "mini size", the mini window's "standard size".
    void switchSizeRequested();
    void helpRequested();
    // A double-click on the background (or on a control that passes it on),
    // or the menu's "タスクトレイに入れる".
    void hideRequested();
    // The window is closing for good: its close box or "exit".
    void closeRequested();
    // The windows beside the display: the craving helper, the record of
    // urges and slips, the health timeline.
    void cravingRequested();
    void recordRequested();
    void healthRequested();
    void planRequested();

protected:
    explicit DisplayWindow(QWidget* parent = nullptr);

    struct MenuEntry {
        const char* name;  // copySummaryAction, …
        const char* caption;
        Action action;
    };
    // The items both menus have; each window lists them in its own order
    // with its own item for switching size. Hiding in the notification area
    // comes directly after them in both: the keyboard's way to what a
    // double-click does. Both end with the windows beside the display, after
    // a separator (an entry without a name).
    static const MenuEntry kCopy, kCopyShort, kOpenLink, kSettings, kVersion, kHelp, kExit, kHideToTray;
    static const MenuEntry kSeparator, kCraving, kRecord, kHealth, kPlan;
    void setPopupMenu(std::initializer_list<MenuEntry> entries) { entries_ = entries; }
    // Where the Menu key and Shift+F10 open the menu, in window coordinates.
    virtual QPoint keyboardMenuAnchor() const = 0;

    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // The control that had the keyboard is remembered as the window goes
    // (to the notification area, or for the other display window) and has
    // it again when the window comes back.
    void hideEvent(QHideEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void popupAt(const QPoint& globalPos);
    // From the keyboard the first item is selected at once, so a screen
    // reader says the menu and its first item, and the arrows start there.
    void popupFromKeyboard();

private:
    void trigger(Action action);
    void rememberKeyboard();
    void giveBackKeyboard();

    std::vector<MenuEntry> entries_;
    QMenu* menu_ = nullptr;
    TrayIcon* tray_ = nullptr;
    QLabel* copied_ = nullptr;
    QTimer* copiedShown_ = nullptr;
    QPointer<QWidget> keyboardWasOn_;
};

}  // namespace kemless

#include "windows/display_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "desktop/placement.h"
#include "windows/tray_icon.h"

namespace kemless {

const DisplayWindow::MenuEntry DisplayWindow::kCopy{"copySummaryAction", "コピーする", Action::CopySummary};
const DisplayWindow::MenuEntry DisplayWindow::kCopyShort{"copyShortAction", "ツイッター用にコピー",
                                                         Action::CopyShort};
const DisplayWindow::MenuEntry DisplayWindow::kOpenLink{"openLinkAction", "ブログや掲示板を開く",
                                                        Action::OpenLink};
const DisplayWindow::MenuEntry DisplayWindow::kSettings{"settingsAction", "設定変更をする", Action::Settings};
const DisplayWindow::MenuEntry DisplayWindow::kVersion{"versionAction", "バージョン情報", Action::Version};
const DisplayWindow::MenuEntry DisplayWindow::kHelp{"helpAction", "ヘルプを読む", Action::Help};
const DisplayWindow::MenuEntry DisplayWindow::kExit{"exitAction", "アプリケーションの終了", Action::Exit};
const DisplayWindow::MenuEntry DisplayWindow::kHideToTray{"hideToTrayAction", "タスクトレイに入れる",
                                                          Action::HideToTray};
const DisplayWindow::MenuEntry DisplayWindow::kSeparator{nullptr, nullptr, Action::Exit};
const DisplayWindow::MenuEntry DisplayWindow::kCraving{"cravingAction", "吸いたくなったら", Action::Craving};
const DisplayWindow::MenuEntry DisplayWindow::kRecord{"recordAction", "これまでの記録", Action::Record};
const DisplayWindow::MenuEntry DisplayWindow::kHealth{"healthAction", "回復のあゆみ", Action::Health};
const DisplayWindow::MenuEntry DisplayWindow::kPlan{"planAction", "わたしの卒煙プラン", Action::Plan};

DisplayWindow::DisplayWindow(QWidget* parent) : QWidget(parent), tray_(new TrayIcon(this)) {
    connect(tray_, &TrayIcon::restoreRequested, this, &DisplayWindow::restoreFromTray);
}

QMenu* DisplayWindow::popupMenu() {
    if (menu_ != nullptr) return menu_;
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("contextMenu"));
    // A screen reader names the menu before its first item.
    menu_->setAccessibleName(QStringLiteral("ケムレスのメニュー"));
    for (const MenuEntry& entry : entries_) {
        if (entry.name == nullptr) {
            menu_->addSeparator();
            continue;
        }
        QAction* a = menu_->addAction(QString::fromUtf8(entry.caption));
        a->setObjectName(QString::fromLatin1(entry.name));
        const Action action = entry.action;
        connect(a, &QAction::triggered, this, [this, action] { trigger(action); });
    }
    return menu_;
}

void DisplayWindow::trigger(Action action) {
    switch (action) {
        case Action::CopySummary: emit copySummaryRequested(); break;
        case Action::CopyShort: emit copyShortRequested(); break;
        case Action::OpenLink: emit openLinkRequested(); break;
        case Action::Settings: emit settingsRequested(); break;
        case Action::Version: emit versionRequested(); break;
        case Action::SwitchSize: emit switchSizeRequested(); break;
        case Action::Help: emit helpRequested(); break;
        case Action::Craving: emit cravingRequested(); break;
        case Action::Record: emit recordRequested(); break;
        case Action::Health: emit healthRequested(); break;
        case Action::Plan: emit planRequested(); break;
        case Action::HideToTray: emit hideRequested(); break;
        case Action::Exit:
            // Closed after the menu has gone, like the close box: the unload
            // runs from closeEvent either way.
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            break;
    }
}

void DisplayWindow::hideToTray(bool trayAvailable) {
    if (!trayAvailable) {
        showMinimized();
        return;
    }
    hide();
    tray_->add();
}

void DisplayWindow::restoreFromTray() {
    BringToFront(this);
    tray_->remove();
}

void DisplayWindow::showAtStart(bool hidden, bool trayAvailable, bool positionsKnown) {
    if (!hidden) {
        show();
    } else if (trayAvailable) {
        hideToTray(true);
    } else if (positionsKnown) {
        // X11 without a notification area: minimised, back from the task bar.
        showMinimized();
    } else {
        // Native Wayland without one: minimised could not be undone from here
        // (no task bar entry is promised either), so the window stays in view.
        show();
    }
}

void DisplayWindow::popupAt(const QPoint& globalPos) { popupMenu()->popup(globalPos); }

void DisplayWindow::popupFromKeyboard() {
    QMenu* menu = popupMenu();
    menu->popup(mapToGlobal(keyboardMenuAnchor()));
    if (!menu->actions().isEmpty()) menu->setActiveAction(menu->actions().constFirst());
}

void DisplayWindow::mousePressEvent(QMouseEvent* e) {
    // Only the background gets here: controls keep their own presses.
    if (e->button() == Qt::RightButton) popupAt(e->globalPosition().toPoint());
}

void DisplayWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit hideRequested();
}

void DisplayWindow::keyPressEvent(QKeyEvent* e) {
    // Shift+F10 opens the menu like the Menu key, as on other desktops.
    if (e->key() == Qt::Key_F10 && (e->modifiers() & Qt::ShiftModifier)) {
        popupFromKeyboard();
        return;
    }
    QWidget::keyPressEvent(e);
}

void DisplayWindow::contextMenuEvent(QContextMenuEvent* e) {
    // The mouse opens the menu on the press; this is the Menu key.
    if (e->reason() != QContextMenuEvent::Mouse) popupFromKeyboard();
}

void DisplayWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    emit closeRequested();
}

}  // namespace kemless

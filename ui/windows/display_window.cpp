#include "windows/display_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include "content/side_windows.h"
#include "desktop/accessibility.h"
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
const DisplayWindow::MenuEntry DisplayWindow::kCraving{"cravingAction", kCravingWindow.title,
                                                       Action::Craving};
const DisplayWindow::MenuEntry DisplayWindow::kRecord{"recordAction", kRecordWindow.title, Action::Record};
const DisplayWindow::MenuEntry DisplayWindow::kHealth{"healthAction", kHealthWindow.title, Action::Health};
const DisplayWindow::MenuEntry DisplayWindow::kPlan{"planAction", kPlanWindow.title, Action::Plan};

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

void DisplayWindow::rememberKeyboard() {
    if (QWidget* on = focusWidget(); on != nullptr && on != this && isAncestorOf(on)) keyboardWasOn_ = on;
}

void DisplayWindow::trigger(Action action) {
    // Before the window goes: as it hides, the keyboard moves on to the
    // next control.
    if (action == Action::SwitchSize || action == Action::HideToTray) rememberKeyboard();
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
    Announce(this, QStringLiteral("タスクトレイに入れました"));
    hide();
    tray_->add();
}

void DisplayWindow::sayCopied() {
    const QString words = QStringLiteral("コピーしました");
    if (copied_ == nullptr) {
        // Over the window's bottom left corner, where no figure is.
        copied_ = new QLabel(words, this);
        copied_->setObjectName(QStringLiteral("copiedLabel"));
        copied_->setAttribute(Qt::WA_TransparentForMouseEvents);
        copied_->setAutoFillBackground(true);
        copied_->setMargin(2);
        QPalette pal = copied_->palette();
        pal.setColor(QPalette::Window, QColor(255, 255, 225));
        pal.setColor(QPalette::WindowText, Qt::black);
        copied_->setPalette(pal);
        copied_->setFrameShape(QFrame::Box);
        // The announcement says it; the label is for the eye.
        MarkDecorative(copied_);
        copiedShown_ = new QTimer(this);
        copiedShown_->setSingleShot(true);
        copiedShown_->setInterval(2000);
        connect(copiedShown_, &QTimer::timeout, copied_, &QWidget::hide);
    }
    copied_->adjustSize();
    copied_->move(2, height() - copied_->height() - 2);
    copied_->show();
    copied_->raise();
    copiedShown_->start();
    Announce(this, words);
}

void DisplayWindow::hideEvent(QHideEvent* e) {
    if (!keyboardWasOn_) rememberKeyboard();
    QWidget::hideEvent(e);
}

void DisplayWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    giveBackKeyboard();
}

void DisplayWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    // Given again once the window is active: some desktops hand the keyboard
    // to the window's first control when it is activated.
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) giveBackKeyboard();
}

void DisplayWindow::giveBackKeyboard() {
    if (!keyboardWasOn_) return;
    if (!keyboardWasOn_->isVisibleTo(this) || !keyboardWasOn_->isEnabled()) {
        keyboardWasOn_ = nullptr;
        return;
    }
    keyboardWasOn_->setFocus(Qt::OtherFocusReason);
    if (!isActiveWindow()) return;
    // Once more after the activation is over: the toolkit hands the keyboard
    // to the window's own choice after telling the window it is active.
    QTimer::singleShot(0, this, [this, on = keyboardWasOn_] {
        if (on && isActiveWindow() && on->isVisibleTo(this)) on->setFocus(Qt::OtherFocusReason);
    });
    keyboardWasOn_ = nullptr;
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
    if (e->button() == Qt::LeftButton) {
        rememberKeyboard();
        emit hideRequested();
    }
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

#include "app/desktop.h"

#include "app/single_instance.h"

#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <cstdlib>

namespace kemless {

Desktop::Desktop() = default;
Desktop::~Desktop() = default;

void Desktop::message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ケムレス"), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool Desktop::setClipboardText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) return false;
    clipboard->clear();
    clipboard->setText(text);
    // Reading it back is the only way Qt tells whether the write took.
    return clipboard->text() == text;
}

bool Desktop::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

std::optional<QColor> Desktop::chooseColor(const QColor& initial, QWidget* parent) {
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid()) return std::nullopt;
    return c;
}

bool Desktop::trayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool Desktop::acquireSingleInstance() {
    if (!lock_) lock_ = std::make_unique<SingleInstanceLock>(SingleInstanceLock::defaultPath());
    return lock_->acquire();
}

void Desktop::terminate() { std::_Exit(0); }

}  // namespace kemless

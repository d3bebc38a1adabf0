#include "windows/tray_icon.h"

#include <QSystemTrayIcon>

#include "desktop/artwork.h"

namespace kemless {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {
    icon_->setIcon(artwork::ProgramIcon());
    icon_->setToolTip(QStringLiteral("ケムレス"));
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A double-click restores through the release of its first click.
        if (reason == QSystemTrayIcon::Trigger) emit restoreRequested();
    });
}

TrayIcon::~TrayIcon() { icon_->hide(); }

void TrayIcon::add() { icon_->show(); }
void TrayIcon::remove() { icon_->hide(); }
bool TrayIcon::isShown() const { return icon_->isVisible(); }
QString TrayIcon::toolTip() const { return icon_->toolTip(); }

}  // namespace kemless

#include "windows/tray_icon.h"

#include <QSystemTrayIcon>

#include "desktop/artwork.h"

namespace kemless {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

TrayIcon::~TrayIcon() {
    if (icon_ != nullptr) icon_->hide();
}

QSystemTrayIcon* TrayIcon::icon() {
    // Made on first use: most runs never hide a window, and the desktop's
    // notification area is asked about only when one is needed.
    if (icon_ == nullptr) {
        icon_ = new QSystemTrayIcon(this);
        icon_->setIcon(artwork::ProgramIcon());
        icon_->setToolTip(toolTip());
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            // A double-click restores through the release of its first click.
            if (reason == QSystemTrayIcon::Trigger) emit restoreRequested();
        });
        connect(icon_, &QSystemTrayIcon::messageClicked, this, &TrayIcon::restoreRequested);
    }
    return icon_;
}

void TrayIcon::add() { icon()->show(); }
void TrayIcon::remove() {
    if (icon_ != nullptr) icon_->hide();
}
bool TrayIcon::isShown() const { return icon_ != nullptr && icon_->isVisible(); }
QString TrayIcon::toolTip() const { return QStringLiteral("ケムレス"); }

bool TrayIcon::hasPlace() const {
    if (!isShown()) return false;
    // Before the area takes it in, the icon's window stands at the origin.
    const QRect at = icon_->geometry();
    return !at.isEmpty() && at.topLeft() != QPoint(0, 0);
}

bool TrayIcon::showMessage(const QString& title, const QString& body, bool evenUnplaced) {
    if (!isShown() || (!evenUnplaced && !hasPlace())) return false;
    icon_->showMessage(title, body, artwork::ProgramIcon());
    return true;
}

}  // namespace kemless

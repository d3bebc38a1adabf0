#include "desktop/desktop.h"

#include <QClipboard>
#include <QColorDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

#include "desktop/accessibility.h"
#include "desktop/launcher.h"
#include "desktop/notification_area.h"

namespace kemless {

void Desktop::message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ケムレス"), text, QMessageBox::Ok, parent);
    box.exec();
}

void Desktop::information(QWidget* parent, const QString& what, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ケムレス"), text, QMessageBox::Ok, parent);
    // Qt presents every message box as an alert; this one only informs. A
    // screen reader reads the text of the box after its name: from its label,
    // or, where it finds none (a box over a window that is going), from its
    // description.
    DescribeWindow(&box, WindowKind::Dialog, what, text);
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

void Desktop::openUrl(const QUrl& url, QObject* context, std::function<void(bool)> done) {
    LaunchUrl(url, context, std::move(done));
}

std::optional<QColor> Desktop::chooseColor(const QColor& initial, QWidget* parent) {
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid()) return std::nullopt;
    return c;
}

bool Desktop::trayAvailable() {
    // Qt learns that an X11 tray has gone only from the destruction of its
    // window, which can come well after the event that said so: what the
    // event said is taken first, where the icon lives in that tray.
    if (areaWatch_ && areaWatch_->x11AreaGone() && !NotificationAreaWatch::statusNotifierHostThere())
        return false;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Desktop::watchNotificationArea(QObject* context, std::function<void()> changed) {
    auto* watch = new NotificationAreaWatch(context);
    areaWatch_ = watch;
    QObject::connect(watch, &NotificationAreaWatch::changed, context, std::move(changed));
}

bool Desktop::windowPositionsKnown() {
    // Native Wayland neither places top-level windows nor says where they are.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"), Qt::CaseInsensitive);
}

}  // namespace kemless

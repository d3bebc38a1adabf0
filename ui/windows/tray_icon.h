#pragma once
#include <QObject>

class QSystemTrayIcon;

namespace kemless {

// The notification-area icon of one display window: added when the window
// hides into the notification area, removed when it comes back or unloads.
// Only a left click (activation) restores; a right click does nothing.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    void add();
    void remove();
    bool isShown() const;
    QString toolTip() const;
    // A balloon from the icon, for desktops without a notification service;
    // false when the icon is not shown, or (unless `evenUnplaced`) has no
    // place in the area yet: just added, it is still on its way there, and
    // a balloon would point at the screen's corner. A click on it restores
    // the window.
    bool showMessage(const QString& title, const QString& body, bool evenUnplaced = false);
    // Whether the area has given the icon its place.
    bool hasPlace() const;

signals:
    void restoreRequested();

private:
    QSystemTrayIcon* icon();

    QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace kemless

#pragma once
// What the display windows ask of the desktop: a text on the clipboard, a
// page in the browser, the version box and the help window; each failure
// said in a box beside the window that asked.
#include <QObject>
#include <QPointer>
#include <QString>
#include <string>

#include "dialogs/help_window.h"

class QWidget;

namespace kemless {

class Desktop;

class DesktopActions : public QObject {
    Q_OBJECT
public:
    explicit DesktopActions(Desktop& desktop, QObject* parent = nullptr);

    void copy(QWidget* owner, const std::string& text);
    void openAddress(QWidget* owner, const QString& address);
    void showVersion(QWidget* owner);
    // One help window, made when first asked for.
    void showHelp();
    HelpWindow* helpWindow() const { return help_; }

signals:
    void windowMade(QWidget* window);

private:
    Desktop& desktop_;
    QPointer<HelpWindow> help_;
};

}  // namespace kemless

#pragma once
// The desktop services the windows use: message boxes, the clipboard, the
// browser, the colour chooser, the notification area and the single-instance
// lock. Tests replace them to run without a real desktop.
#include <QColor>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

class QWidget;

namespace kemless {

class SingleInstanceLock;

class Desktop {
public:
    Desktop();
    virtual ~Desktop();

    // A message box with the OK button only, titled with the program's name "ケムレス".
    virtual void message(QWidget* parent, const QString& text);
    // Plain text on the clipboard; false when it could not be written.
    virtual bool setClipboardText(const QString& text);
    // Open an address with the desktop's default handler; false on failure.
    virtual bool openUrl(const QUrl& url);
    virtual std::optional<QColor> chooseColor(const QColor& initial, QWidget* parent);
    virtual bool trayAvailable();
    // True when this process is the only running copy (per user). A copy
    // that crashed leaves a stale lock that is taken over.
    virtual bool acquireSingleInstance();
    // End the process at once: no window's unload runs, no file is written.
    [[noreturn]] virtual void terminate();

private:
    std::unique_ptr<SingleInstanceLock> lock_;
};

}  // namespace kemless

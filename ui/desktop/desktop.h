#pragma once
// The desktop services the windows and dialogs use: message boxes, the
// clipboard, the browser, the colour chooser and the notification area.
// Tests replace them to run without a real desktop.
#include <QColor>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QObject;
class QWidget;

namespace kemless {

class NotificationAreaWatch;

class Desktop {
public:
    virtual ~Desktop() = default;

    // A message box with the OK button only, titled with the program's name
    // "ケムレス": a screen reader announces it as an alert.
    virtual void message(QWidget* parent, const QString& text);
    // The same box for what only informs (the version): a screen reader
    // announces it as a dialog named `what`, and reads `text`.
    virtual void information(QWidget* parent, const QString& what, const QString& text);
    // Plain text on the clipboard; false when it could not be written.
    virtual bool setClipboardText(const QString& text);
    // Opens an address with the desktop's default handler without waiting for
    // the browser. `done` learns later whether the handler took the address;
    // it is dropped when `context` is gone by then.
    virtual void openUrl(const QUrl& url, QObject* context, std::function<void(bool)> done);
    virtual std::optional<QColor> chooseColor(const QColor& initial, QWidget* parent);
    virtual bool trayAvailable();
    // Calls `changed` (for as long as `context` lives) whenever a
    // notification area may have come or gone (see NotificationAreaWatch);
    // nothing is polled. Ask trayAvailable() then.
    virtual void watchNotificationArea(QObject* context, std::function<void()> changed);
    // False where the windowing system neither places windows nor says where
    // they are (native Wayland): stored positions must not be overwritten
    // with what the program never learnt.
    virtual bool windowPositionsKnown();

private:
    QPointer<NotificationAreaWatch> areaWatch_;
};

}  // namespace kemless

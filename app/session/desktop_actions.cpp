#include "session/desktop_actions.h"

#include <QUrl>

#include "content/about.h"
#include "desktop/desktop.h"
#include "desktop/placement.h"
#include "windows/display_window.h"

namespace kemless {
namespace {

const char* const kClipboardFailed = "クリップボードに書き込めませんでした。もう一度お試しください。";

}  // namespace

DesktopActions::DesktopActions(Desktop& desktop, QObject* parent) : QObject(parent), desktop_(desktop) {}

void DesktopActions::copy(QWidget* owner, const std::string& text) {
    if (!desktop_.setClipboardText(QString::fromStdString(text))) {
        desktop_.message(owner, QString::fromUtf8(kClipboardFailed));
        return;
    }
    if (auto* window = qobject_cast<DisplayWindow*>(owner)) window->sayCopied();
}

void DesktopActions::openAddress(QWidget* owner, const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    QPointer<QWidget> guard(owner);
    auto answer = [this, guard, address](bool ok) {
        if (!ok) desktop_.message(guard, QString::fromStdString(PageNotOpenedText(address.toStdString())));
    };
    // "http://" alone names no page: nothing could open it.
    if (!url.isValid() || url.host().isEmpty()) {
        answer(false);
        return;
    }
    desktop_.openUrl(url, this, answer);
}

void DesktopActions::showHelp() {
    if (!help_) {
        help_ = new HelpWindow;
        emit windowMade(help_);
    }
    BringToFront(help_);
}

void DesktopActions::showVersion(QWidget* owner) {
    desktop_.information(owner, QStringLiteral("バージョン情報"),
                         QString::fromStdString(VersionBoxText(KEMLESS_VERSION)));
}

}  // namespace kemless

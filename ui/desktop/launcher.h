#pragma once
// Opening an address in the user's browser.
#include <QString>
#include <QUrl>
#include <functional>

class QObject;

namespace kemless {

// Runs the desktop's opener, xdg-open, for `url` and calls `done` once it is
// known whether the opener took the address, without blocking the caller.
// Qt's own QDesktopServices::openUrl counts a started opener as success even
// when the opener then finds no browser, so the user would see nothing at
// all. An opener still running after a few seconds has handed the address to
// a browser that keeps it in the foreground: that counts as success. Without
// xdg-open, Qt's own launch is used. `done` is dropped if `context` is gone.
void LaunchUrl(const QUrl& url, QObject* context, std::function<void(bool)> done);

}  // namespace kemless

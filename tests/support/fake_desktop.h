#pragma once
// Test doubles for the clock and the desktop: a settable "now" and draw,
// and a desktop that records messages, clipboard writes and launches
// instead of showing them.
#include <QCoreApplication>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <deque>

#include "desktop/desktop.h"
#include "records/clock.h"

namespace kemless {

class FakeClock : public Clock {
public:
    CalendarMoment moment{2026, 12, 10, 12, 0};
    int drawValue = 50;
    CalendarMoment now() override { return moment; }
    int draw() override { return drawValue; }
};

class FakeDesktop : public Desktop {
public:
    QStringList messages;
    // What each informing box was announced as, beside its text in `messages`.
    QStringList informationNames;
    QString clipboard;
    bool clipboardWorks = true;
    QList<QUrl> opened;
    bool launchWorks = true;
    // Launch through the real opener (xdg-open on PATH) instead of answering
    // with `launchWorks` at once.
    bool realLauncher = false;
    std::deque<QColor> colorAnswers;  // empty: the chooser is cancelled
    QList<QColor> colorOffered;
    bool tray = true;
    bool positionsKnown = true;
    // The notification area's watch: `areaChanged` says it came or went,
    // as the desktop would; with `realAreaWatch` the real one listens.
    bool realAreaWatch = false;
    int areaWatches = 0;
    std::function<void()> areaChanged;

    void message(QWidget*, const QString& text) override { messages << text; }
    void information(QWidget*, const QString& what, const QString& text) override {
        informationNames << what;
        messages << text;
    }
    bool setClipboardText(const QString& text) override {
        if (!clipboardWorks) return false;
        clipboard = text;
        return true;
    }
    void openUrl(const QUrl& url, QObject* context, std::function<void(bool)> done) override {
        opened << url;
        if (realLauncher) {
            Desktop::openUrl(url, context, std::move(done));
            return;
        }
        done(launchWorks);
    }
    std::optional<QColor> chooseColor(const QColor& initial, QWidget*) override {
        colorOffered << initial;
        if (colorAnswers.empty()) return std::nullopt;
        QColor c = colorAnswers.front();
        colorAnswers.pop_front();
        return c;
    }
    bool trayAvailable() override { return tray; }
    void watchNotificationArea(QObject* context, std::function<void()> changed) override {
        ++areaWatches;
        if (realAreaWatch) {
            Desktop::watchNotificationArea(context, std::move(changed));
            return;
        }
        QPointer<QObject> alive(context);
        areaChanged = [alive, changed = std::move(changed)] {
            if (alive) changed();
        };
    }
    // The area came or went: `tray` says which; the program looks once the
    // events of the moment are in.
    void setTray(bool there) {
        tray = there;
        if (areaChanged) areaChanged();
        QCoreApplication::sendPostedEvents();
        QTest::qWait(1);
    }
    bool windowPositionsKnown() override { return positionsKnown; }
};

}  // namespace kemless

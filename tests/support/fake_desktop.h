#pragma once
// Test doubles for the clock and the desktop: a settable "now" and draw, and
// a desktop that records messages, clipboard writes and launches instead of
// showing them.
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <deque>
#include <stdexcept>

#include "app/clock.h"
#include "app/desktop.h"

namespace kemless {

class FakeClock : public Clock {
public:
    CalendarMoment moment{2026, 12, 10, 12, 0};
    int drawValue = 50;
    CalendarMoment now() override { return moment; }
    int draw() override { return drawValue; }
};

// Thrown by terminate() so a test can see that the process would end.
struct Terminated : std::runtime_error {
    Terminated() : std::runtime_error("terminated") {}
};

class FakeDesktop : public Desktop {
public:
    QStringList messages;
    QString clipboard;
    bool clipboardWorks = true;
    QList<QUrl> opened;
    bool launchWorks = true;
    std::deque<QColor> colorAnswers;  // empty: the chooser is cancelled
    QList<QColor> colorOffered;
    bool tray = true;
    bool singleInstance = true;
    int terminations = 0;

    void message(QWidget*, const QString& text) override { messages << text; }
    bool setClipboardText(const QString& text) override {
        if (!clipboardWorks) return false;
        clipboard = text;
        return true;
    }
    bool openUrl(const QUrl& url) override {
        opened << url;
        return launchWorks;
    }
    std::optional<QColor> chooseColor(const QColor& initial, QWidget*) override {
        colorOffered << initial;
        if (colorAnswers.empty()) return std::nullopt;
        QColor c = colorAnswers.front();
        colorAnswers.pop_front();
        return c;
    }
    bool trayAvailable() override { return tray; }
    bool acquireSingleInstance() override { return singleInstance; }
    [[noreturn]] void terminate() override {
        ++terminations;
        throw Terminated();
    }
};

}  // namespace kemless

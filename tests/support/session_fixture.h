#pragma once
// A running program in a temporary folder, with a fixed clock and a
// recording desktop, for the tests of the session.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>

#include "companion/tray_presence.h"
#include "records/settings_store.h"
#include "session/session.h"
#include "support/fake_desktop.h"
#include "support/fake_process.h"
#include "support/records.h"
#include "support/windows.h"

namespace kemless {

struct SessionFixture {
    FakeClock clock;
    FakeDesktop desktop;
    FakeProcess process;
    QTemporaryDir dir;
    // The run's journal, made afresh with each session.
    std::unique_ptr<JournalBook> journal;
    std::unique_ptr<Session> session;
    // The notification area followed, as the program does.
    std::unique_ptr<TrayPresence> presence;

    SessionFixture() = default;
    SessionFixture(const SessionFixture&) = delete;
    SessionFixture& operator=(const SessionFixture&) = delete;
    // The next test starts with no window: the session's own go with it, and
    // whatever else a test opened goes too.
    ~SessionFixture() {
        stop();
        DeleteAllWindows();
    }

    SettingsStore store() const { return SettingsStore(dir.path().toStdString()); }
    // The raw bytes of initial.ini or option.ini (empty when missing).
    QByteArray bytes(const char* file) const { return DataFileBytes(dir, file); }

    // Files of a started quit, as the ceremony would have left them.
    void writeStarted(const InitialSettings& initial, const OptionSettings& options) {
        QVERIFY(WriteStartedRecord(store(), initial, options));
    }

    // The program made but not started: no file touched, no window open.
    Session& make() {
        presence.reset();
        session.reset();
        journal = std::make_unique<JournalBook>();
        session = std::make_unique<Session>(clock, desktop, process, dir.path().toStdString(), journal.get());
        presence = std::make_unique<TrayPresence>(*session, desktop);
        return *session;
    }
    Session& start() {
        make().start();
        return *session;
    }

    // The program ends: both windows unloaded, as a restart needs.
    void stop() {
        presence.reset();
        session.reset();
        settle();
    }

    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static QWidget* window(const char* objectName) { return Window(objectName); }
};

// What the user asks for through a display window's menu, with what the
// program queues for after the menu (the settings open once it has gone).
inline void AskThrough(DisplayWindow* window, void (DisplayWindow::*request)()) {
    emit(window->*request)();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The settings and the help, asked for through the display window of the
// mode, as the user asks.
inline void OpenSettings(Session& s) { AskThrough(s.windowOfTheMode(), &DisplayWindow::settingsRequested); }
inline void ShowHelp(Session& s) { AskThrough(s.windowOfTheMode(), &DisplayWindow::helpRequested); }

}  // namespace kemless

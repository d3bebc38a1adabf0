#pragma once
// A running program in a temporary folder, with a fixed clock and a
// recording desktop, for the window tests.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>

#include "records/settings_store.h"
#include "records/shift_jis.h"
#include "session/session.h"
#include "support/fake_desktop.h"
#include "support/windows.h"

namespace kemless {

struct SessionFixture {
    FakeClock clock;
    FakeDesktop desktop;
    FakeProcess process;
    QTemporaryDir dir;
    std::unique_ptr<Session> session;

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
        SettingsStore s = store();
        s.ensureDataFolder();
        QVERIFY(s.writeInitial(initial));
        OptionSettings o = options;
        o.quitStarted = 1;
        QVERIFY(s.writeOption(o));
    }

    // The program made but not started: no file touched, no window open.
    Session& make() {
        session = std::make_unique<Session>(clock, desktop, process, dir.path().toStdString());
        return *session;
    }
    Session& start() {
        make().start();
        return *session;
    }

    // The program ends: both windows unloaded, as a restart needs.
    void stop() {
        session.reset();
        settle();
    }

    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static QWidget* window(const char* objectName) { return Window(objectName); }
};

// A quit profile a few weeks old.
inline InitialSettings SampleInitial() {
    InitialSettings in;
    in.quit = {2026, 11, 1, 9, 0};
    return in;
}

}  // namespace kemless

// Milestone notices of a running program, on a private session bus
// (dbus-run-session) where a fake notification service writes down every
// notice it is sent. The clock is fixed: the minute before a title changes,
// then the minute it does.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "companion/companion.h"
#include "desktop/notifier.h"
#include "support/session_fixture.h"
#include "support/tick.h"
#include "windows/tray_icon.h"

using namespace kemless;

namespace {

const char* const kService = "org.freedesktop.Notifications";

// Quit on 1 November 2026 at 9:00 (soldier titles): day 12 begins on
// 13 November at 9:00 and makes the title 中尉; nothing else is crossed then.
constexpr CalendarMoment kBeforeTitle{2026, 11, 13, 8, 59};
constexpr CalendarMoment kAtTitle{2026, 11, 13, 9, 0};

bool Registered(const char* name) {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus != nullptr && bus->isServiceRegistered(QString::fromLatin1(name));
}
bool ServiceUp() { return Registered(kService); }

// A StatusNotifier watcher that only holds its name, as a panel holding the
// icons would.
const char* const kFakeStatusNotifierWatcher =
    "import dbus, dbus.service\n"
    "from dbus.mainloop.glib import DBusGMainLoop\n"
    "from gi.repository import GLib\n"
    "DBusGMainLoop(set_as_default=True)\n"
    "name = dbus.service.BusName('org.kde.StatusNotifierWatcher', dbus.SessionBus())\n"
    "GLib.MainLoop().run()\n";

}  // namespace

class NoticesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SessionFixture> fx;
    std::unique_ptr<Companion> companion;
    QTemporaryDir logDir;
    QProcess service;

    QString logPath() const { return logDir.filePath(QStringLiteral("notices.jsonl")); }

    QList<QJsonObject> notices() const {
        QList<QJsonObject> all;
        QFile f(logPath());
        if (!f.open(QIODevice::ReadOnly)) return all;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (!line.isEmpty()) all << QJsonDocument::fromJson(line).object();
        return all;
    }

    // A started record, the program running at `now`, with --notify or without.
    MainWindow* run(CalendarMoment now, bool notify) {
        fx->clock.moment = now;
        fx->writeStarted(SampleInitial(), {});
        Session& s = fx->make();
        companion = std::make_unique<Companion>(s, notify);
        s.start();
        return s.mainWindow();
    }

    // The 30-second refresh at `now` (the window stands for where it is shown).
    void tickAt(MainWindow*, CalendarMoment now) {
        fx->clock.moment = now;
        QVERIFY(Tick(*fx->session));
    }

    // Long enough for a notice on its way over the bus to arrive.
    static void letTheBusSettle() { QTest::qWait(400); }

private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
        const QString script = qEnvironmentVariable("KEMLESS_FAKE_NOTIFICATIONS");
        QVERIFY2(!script.isEmpty(), "KEMLESS_FAKE_NOTIFICATIONS names the fake service");
        service.setProcessChannelMode(QProcess::ForwardedChannels);
        service.start(QStringLiteral("/usr/bin/python3"), {script, logPath()});
        QVERIFY(service.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(ServiceUp(), 10000);
    }
    void cleanupTestCase() {
        service.kill();
        service.waitForFinished();
    }
    void init() {
        QFile::remove(logPath());
        fx = std::make_unique<SessionFixture>();
    }
    void cleanup() {
        companion.reset();
        fx.reset();
    }

    void aNewTitleIsOneNoticeNamingIt() {
        MainWindow* w = run(kBeforeTitle, true);
        tickAt(w, kBeforeTitle);
        letTheBusSettle();
        QVERIFY(notices().isEmpty());

        tickAt(w, kAtTitle);
        QTRY_COMPARE(notices().size(), 1);
        const QJsonObject n = notices().first();
        QCOMPARE(n[u"summary"].toString(), QStringLiteral("ランクアップ！"));
        QCOMPARE(n[u"body"].toString(), QStringLiteral("ステータスが「中尉」になりました。"));
        QCOMPARE(n[u"app_name"].toString(), QStringLiteral("ケムレス"));
        QCOMPARE(n[u"app_icon"].toString(), QStringLiteral("kemless"));
        QCOMPARE(n[u"hints"].toObject()[u"desktop-entry"].toString(), QStringLiteral("kemless"));
        QCOMPARE(n[u"actions"].toArray().first().toString(), QStringLiteral("default"));

        // Said once: the next refreshes, the same minute or later, say nothing more.
        tickAt(w, kAtTitle);
        tickAt(w, {2026, 11, 13, 9, 1});
        letTheBusSettle();
        QCOMPARE(notices().size(), 1);
    }

    void nothingAtStartEvenOnTheMinuteOfATitle() {
        MainWindow* w = run(kAtTitle, true);
        tickAt(w, kAtTitle);
        letTheBusSettle();
        QVERIFY(notices().isEmpty());
    }

    void nothingWithoutNotify() {
        MainWindow* w = run(kBeforeTitle, false);
        tickAt(w, kAtTitle);
        letTheBusSettle();
        QVERIFY(notices().isEmpty());
        // A plain start has no companion at all: the refreshes go on alone.
        cleanup();
        init();
        fx->clock.moment = kBeforeTitle;
        fx->writeStarted(SampleInitial(), {});
        MainWindow* plain = fx->start().mainWindow();
        tickAt(plain, kAtTitle);
        letTheBusSettle();
        QVERIFY(notices().isEmpty());
    }

    void afterASuspendOneNoticeForTheLatest() {
        // Asleep from day 11 to day 40: the title, the month, the duck and the
        // length each once, in one notice, naming where they stand now.
        MainWindow* w = run({2026, 11, 12, 10, 0}, true);
        tickAt(w, {2026, 12, 11, 10, 0});
        QTRY_COMPARE(notices().size(), 1);
        const QJsonObject n = notices().first();
        QCOMPARE(n[u"summary"].toString(), QStringLiteral("ランクアップ！"));
        const QStringList lines = n[u"body"].toString().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("ステータスが「大将」になりました。"));
        QVERIFY(lines[1].startsWith(QStringLiteral("卒煙１ヶ月達成！")));
        QVERIFY(lines[2].endsWith(QStringLiteral("アヒルの王様がお祝いに来ました。")));
    }

    void clickingTheNoticeBringsTheWindowForward() {
        MainWindow* w = run(kBeforeTitle, true);
        w->hideToTray(true);
        QVERIFY(!w->isVisible());
        tickAt(w, kAtTitle);
        QTRY_COMPARE(notices().size(), 1);
        // A plain call: an interface object would introspect the fake and
        // keep what it learnt in a cache the bus never frees.
        auto click = [](uint id) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QString::fromLatin1(kService), QStringLiteral("/org/freedesktop/Notifications"),
                QString::fromLatin1(kService), QStringLiteral("Click"));
            call << id;
            return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
        };
        // Another program's notice clicked: not ours, nothing happens.
        QVERIFY(click(9999));
        letTheBusSettle();
        QVERIFY(!w->isVisible());
        QVERIFY(click(uint(notices().first()[u"id"].toInt())));
        QTRY_VERIFY(w->isVisible());
        QVERIFY(!fx->session->mainWindow()->trayIcon()->isShown());
    }

    void aStatusNotifierHostThatGoesAwayGivesTheWindowBack() {
        QProcess panel;
        panel.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"), QString::fromLatin1(kFakeStatusNotifierWatcher)});
        QVERIFY(panel.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Registered("org.kde.StatusNotifierWatcher"), 10000);
        MainWindow* w = run(kBeforeTitle, false);
        w->hideToTray(true);
        letTheBusSettle();
        QVERIFY(!w->isVisible());
        // The panel quits: the icon has nowhere to be, the window comes back.
        panel.kill();
        panel.waitForFinished();
        QTRY_VERIFY(w->isVisible());
        QVERIFY(!fx->session->mainWindow()->trayIcon()->isShown());
    }

    // From here on the desktop has no notification service.
    void withoutTheServiceTheTrayIconSaysIt() {
        service.kill();
        service.waitForFinished();
        QTRY_VERIFY(!ServiceUp());

        MainWindow* w = run(kBeforeTitle, true);
        w->hideToTray(true);
        QSignalSpy delivered(companion->notifier(), &Notifier::delivered);
        tickAt(w, kAtTitle);
        QTRY_COMPARE(delivered.size(), 1);
        QCOMPARE(delivered.first().first().toBool(), false);
        QVERIFY(notices().isEmpty());
    }

    void withNeitherItIsSilent() {
        fx->desktop.tray = false;
        MainWindow* w = run(kBeforeTitle, true);
        QSignalSpy dropped(companion->notifier(), &Notifier::dropped);
        tickAt(w, kAtTitle);
        QTRY_COMPARE(dropped.size(), 1);
        QVERIFY(fx->desktop.messages.isEmpty());
    }
};

QTEST_MAIN(NoticesTest)
#include "notices_qtest.moc"

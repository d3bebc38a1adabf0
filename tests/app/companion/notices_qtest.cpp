// Milestone notices of a running program, on a private session bus
// (dbus-run-session) where a fake notification service writes down every
// notice it is sent. The clock is fixed: the minute before a title changes,
// then the minute it does; the program stops and starts again on the same
// folder, whose journal remembers what was said.
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <initializer_list>

#include "companion/companion.h"
#include "desktop/notifier.h"
#include "plan/plan_file.h"
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
        if (fx->bytes("option.ini").isEmpty()) fx->writeStarted(SampleInitial(), {});
        Session& s = fx->make();
        if (notify) companion = std::make_unique<Companion>(s, *fx->journal);
        s.start();
        return s.mainWindow();
    }
    // The program ends, and starts again on the same folder at `now`.
    MainWindow* restart(CalendarMoment now) {
        companion.reset();
        fx->stop();
        return run(now, true);
    }
    QString journal() const {
        QFile f(fx->dir.filePath(QStringLiteral("kemlessdata/journal.txt")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // The 30-second refresh at `now` (the window stands for where it is shown).
    void tickAt(MainWindow*, CalendarMoment now) {
        fx->clock.moment = now;
        QVERIFY(Tick(*fx->session));
    }

    // A barrier rather than a wait: whatever the program has sent on this
    // process's bus connection before it has been handled once this returns.
    // What the program left for its event loop runs first; then a marker
    // goes over the same connection to the bus and to each service named,
    // each answering in order, so a notice sent before it has been written
    // down; the signals they sent before the answer are then delivered here.
    static bool letTheBusSettle(std::initializer_list<const char*> peers = {kService}) {
        QCoreApplication::processEvents();
        QDBusConnection bus = QDBusConnection::sessionBus();
        QList<QDBusMessage> markers{QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"))};
        for (const char* peer : peers)
            markers << QDBusMessage::createMethodCall(QString::fromLatin1(peer), QStringLiteral("/"),
                                                      QStringLiteral("org.freedesktop.DBus.Peer"),
                                                      QStringLiteral("Ping"));
        for (const QDBusMessage& marker : markers)
            if (bus.call(marker).type() != QDBusMessage::ReplyMessage) return false;
        QCoreApplication::processEvents();
        return true;
    }

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
        QVERIFY(letTheBusSettle());
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
        QVERIFY(letTheBusSettle());
        QCOMPARE(notices().size(), 1);
    }

    void theFirstRunWithNoticesSaysNothingOld() {
        // Started with --notify for the first time on a record a month old,
        // on the very minute of a title: the journal begins now.
        MainWindow* w = run(kAtTitle, true);
        tickAt(w, kAtTitle);
        QVERIFY(letTheBusSettle());
        QVERIFY(notices().isEmpty());
        QVERIFY2(
            journal().contains(QStringLiteral(" seen title 中尉 9 mode=ソルジャー quit=2026-11-01T09:00\n")),
            qPrintable(journal()));
    }

    void nothingWithoutNotify() {
        MainWindow* w = run(kBeforeTitle, false);
        tickAt(w, kAtTitle);
        QVERIFY(letTheBusSettle());
        QVERIFY(notices().isEmpty());
        QVERIFY2(journal().isEmpty(), "no journal without --notify");
    }

    void afterASuspendOneNoticeForTheLatest() {
        // Asleep from day 11 to day 40: the title, the month, the duck, the
        // length and the step of 回復のあゆみ each once, in one notice, naming
        // where they stand now, each headline on its own line before its
        // sentence.
        MainWindow* w = run({2026, 11, 12, 10, 0}, true);
        tickAt(w, {2026, 12, 11, 10, 0});
        QTRY_COMPARE(notices().size(), 1);
        const QJsonObject n = notices().first();
        QCOMPARE(n[u"summary"].toString(), QStringLiteral("ランクアップ！"));
        const QStringList lines = n[u"body"].toString().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines[0], QStringLiteral("ステータスが「大将」になりました。"));
        QCOMPARE(lines[1], QStringLiteral("卒煙１ヶ月達成！"));
        QCOMPARE(lines[3], QStringLiteral("アヒルからのお知らせ"));
        QCOMPARE(lines[4], QStringLiteral("アヒルの王様がお祝いに来ました。"));
        QVERIFY(lines[5].startsWith(QStringLiteral("吸わなかったタバコが")));
        QCOMPARE(lines[7], QStringLiteral("回復のあゆみ「１〜９ヶ月後」"));
        QCOMPARE(lines[8], QStringLiteral("せきが改善し、スタミナが戻ってきます。"));
    }

    // A step of 回復のあゆみ reached while the program runs is said on its
    // minute, remembered in the journal, and never said again after a restart.
    void aHealthStepIsSaidOnItsMinuteAndNeverAgain() {
        const QString step = QStringLiteral("回復のあゆみ「２週間〜３ヶ月後」");
        auto saidTimes = [&] {
            int n = 0;
            for (const QJsonObject& o : notices())
                n += int((o[u"summary"].toString() + o[u"body"].toString()).contains(step));
            return n;
        };
        MainWindow* w = run({2026, 11, 15, 8, 58}, true);
        tickAt(w, {2026, 11, 15, 8, 59});
        QVERIFY(letTheBusSettle());
        QCOMPARE(saidTimes(), 0);
        tickAt(w, {2026, 11, 15, 9, 0});
        QTRY_COMPARE(saidTimes(), 1);
        QVERIFY(
            journal().contains(QStringLiteral("2026-11-15 09:00 notice health 5 quit=2026-11-01T09:00\n")));
        for (const CalendarMoment at :
             {CalendarMoment{2026, 11, 15, 9, 1}, CalendarMoment{2026, 11, 15, 9, 30}}) {
            w = restart(at);
            tickAt(w, at);
        }
        QVERIFY(letTheBusSettle());
        QCOMPARE(saidTimes(), 1);
    }

    void whatCameWhileOffIsSaidAtTheNextStartAndNeverTwice() {
        MainWindow* w = run(kBeforeTitle, true);
        tickAt(w, kBeforeTitle);
        // Off overnight; the title changed at 9:00, the program starts at 10:00.
        w = restart({2026, 11, 13, 10, 0});
        QTRY_COMPARE(notices().size(), 1);
        QCOMPARE(notices().first()[u"summary"].toString(),
                 QStringLiteral("お休みのあいだに：ランクアップ『中尉』"));
        QCOMPARE(notices().first()[u"body"].toString(), QStringLiteral("ステータスが「中尉」になりました。"));
        // A restart, a clock set back five days and put right again: nothing more.
        for (const CalendarMoment at :
             {CalendarMoment{2026, 11, 13, 10, 5}, CalendarMoment{2026, 11, 8, 10, 0},
              CalendarMoment{2026, 11, 13, 10, 10}}) {
            w = restart(at);
            tickAt(w, at);
        }
        QVERIFY(letTheBusSettle());
        QCOMPARE(notices().size(), 1);
    }

    void twoCopiesSharingTheFolderSayItOnce() {
        MainWindow* w = run(kBeforeTitle, true);
        // A second machine on the same folder, with its own lock.
        FakeProcess otherProcess;
        JournalBook otherJournal;
        Session other(fx->clock, fx->desktop, otherProcess, fx->dir.path().toStdString(), &otherJournal);
        Companion otherCompanion(other, otherJournal);
        other.start();
        tickAt(w, kAtTitle);
        QVERIFY(Tick(other));
        QTRY_COMPARE(notices().size(), 1);
        QVERIFY(letTheBusSettle());
        QCOMPARE(notices().size(), 1);
        QCOMPARE(journal().count(QStringLiteral(" notice title ")), 1);
    }

    void aJournalThatCannotBeKeptIsSaidOnceAndLeftAlone() {
        fx->writeStarted(SampleInitial(), {});
        const QByteArray fifo =
            QFile::encodeName(fx->dir.filePath(QStringLiteral("kemlessdata/journal.txt")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        MainWindow* w = run(kBeforeTitle, true);
        QTRY_COMPARE(fx->desktop.messages.size(), 1);
        QVERIFY2(fx->desktop.messages.first().contains(QString::fromUtf8(fifo)),
                 qPrintable(fx->desktop.messages.first()));
        // The notices go on for the run, from what it has seen.
        tickAt(w, kAtTitle);
        QTRY_COMPARE(notices().size(), 1);
        tickAt(w, {2026, 11, 13, 9, 1});
        QVERIFY(letTheBusSettle());
        QCOMPARE(notices().size(), 1);
        QCOMPARE(fx->desktop.messages.size(), 1);
        struct stat st {};
        QCOMPARE(::lstat(fifo.constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
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
        QVERIFY(letTheBusSettle());
        QVERIFY(!w->isVisible());
        QVERIFY(click(uint(notices().first()[u"id"].toInt())));
        QTRY_VERIFY(w->isVisible());
        QVERIFY(!fx->session->mainWindow()->trayIcon()->isShown());
    }

    // An alarm for a hard hour: one notice with the plan for its trigger,
    // not again at the next refresh nor after a restart, and its second
    // action opens the craving helper.
    void anAlarmIsOneNoticeAndItsActionOpensTheHelper() {
        Plan plan;
        plan.triggers = {{"お酒", "炭酸水を飲む"}};
        PlanAlarm alarm;
        alarm.hour = 20;
        alarm.minute = 0;
        alarm.trigger = "お酒";
        alarm.on = true;
        PlanAlarm off = alarm;  // the same minute, not turned on: says nothing
        off.on = false;
        plan.alarms = {alarm, off};
        fx->writeStarted(SampleInitial(), {});
        QFile file(fx->dir.filePath(QStringLiteral("kemlessdata/plan.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(WritePlan(plan)));
        file.close();

        MainWindow* w = run({2026, 11, 13, 19, 59}, true);
        tickAt(w, {2026, 11, 13, 19, 59});
        QVERIFY(letTheBusSettle());
        QVERIFY(notices().isEmpty());
        // Started late, 20 minutes past its minute: still said.
        tickAt(w, {2026, 11, 13, 20, 20});
        QTRY_COMPARE(notices().size(), 1);
        const QJsonObject n = notices().first();
        QCOMPARE(n[u"summary"].toString(), QStringLiteral("つらい時間のお知らせ"));
        QVERIFY2(n[u"body"].toString().contains(QString::fromStdString(IfThenText(plan.triggers[0]))),
                 qPrintable(n[u"body"].toString()));
        QCOMPARE(n[u"actions"].toArray().toVariantList(),
                 (QVariantList{QStringLiteral("default"), QStringLiteral("ケムレスを開く"),
                               QStringLiteral("craving"), QStringLiteral("吸いたくなったら")}));
        QVERIFY(journal().contains(QStringLiteral("notice alarm slot=1 day=2026-11-13")));
        tickAt(w, {2026, 11, 13, 20, 21});
        w = restart({2026, 11, 13, 20, 30});
        tickAt(w, {2026, 11, 13, 20, 30});
        QVERIFY(letTheBusSettle());
        QCOMPARE(notices().size(), 1);

        // The next day's: chosen 「吸いたくなったら」, the helper opens. The
        // choice is made once the program holds the desktop's answer (the
        // notice's id), as a person's click always comes after it.
        QSignalSpy delivered(companion->notifier(), &Notifier::delivered);
        tickAt(w, {2026, 11, 14, 20, 0});
        QTRY_COMPARE(notices().size(), 2);
        QTRY_COMPARE(delivered.count(), 1);
        QVERIFY(fx->session->cravingWindow() == nullptr);
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kService), QStringLiteral("/org/freedesktop/Notifications"),
            QString::fromLatin1(kService), QStringLiteral("ClickAction"));
        call << uint(notices().last()[u"id"].toInt()) << QStringLiteral("craving");
        QCOMPARE(QDBusConnection::sessionBus().call(call).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY(fx->session->cravingWindow() != nullptr && fx->session->cravingWindow()->isVisible());
    }

    // The reward reached: one notice, kept in the journal, never again.
    void aRewardReachedIsSaidOnce() {
        Plan plan;
        plan.reward = Reward{"本", 100};
        fx->writeStarted(SampleInitial(), {});
        QFile file(fx->dir.filePath(QStringLiteral("kemlessdata/plan.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(WritePlan(plan)));
        file.close();
        MainWindow* w = run({2026, 11, 20, 12, 0}, true);
        tickAt(w, {2026, 11, 20, 12, 0});
        QTRY_COMPARE(notices().size(), 1);
        QCOMPARE(notices().first()[u"summary"].toString(),
                 QStringLiteral("ごほうび『本』に手が届きました！"));
        QVERIFY2(notices().first()[u"body"].toString().contains(QStringLiteral("本")),
                 qPrintable(notices().first()[u"body"].toString()));
        QVERIFY(journal().contains(QStringLiteral("notice reward name=本 price=100 quit=2026-11-01T09:00")));
        tickAt(w, {2026, 11, 20, 12, 1});
        w = restart({2026, 11, 21, 12, 0});
        tickAt(w, {2026, 11, 21, 12, 0});
        QVERIFY(letTheBusSettle());
        // (A milestone crossed overnight may be said; the reward is not again.)
        int rewards = 0;
        for (const QJsonObject& n : notices())
            rewards += n[u"summary"].toString().startsWith(QStringLiteral("ごほうび"));
        QCOMPARE(rewards, 1);
    }

    void aStatusNotifierHostThatGoesAwayGivesTheWindowBack() {
        QProcess panel;
        panel.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"), QString::fromLatin1(kFakeStatusNotifierWatcher)});
        QVERIFY(panel.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Registered("org.kde.StatusNotifierWatcher"), 10000);
        fx->desktop.realAreaWatch = true;
        MainWindow* w = run(kBeforeTitle, false);
        emit w->hideRequested();
        QVERIFY(letTheBusSettle({kService, "org.kde.StatusNotifierWatcher"}));
        QVERIFY(!w->isVisible());
        // The panel quits: the icon has nowhere to be, the window comes back.
        fx->desktop.tray = false;
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
        QVERIFY(SessionFixture::window("noticeBalloon") == nullptr);
    }

    void withoutTheServiceAWindowInViewShowsItBesideItself() {
        MainWindow* w = run(kBeforeTitle, true);
        QVERIFY(w->isVisible());
        QSignalSpy delivered(companion->notifier(), &Notifier::delivered);
        tickAt(w, kAtTitle);
        QTRY_COMPARE(delivered.size(), 1);
        QWidget* balloon = SessionFixture::window("noticeBalloon");
        QVERIFY(balloon != nullptr);
        QVERIFY(balloon->isVisible());
        QCOMPARE(balloon->findChild<QLabel*>(QStringLiteral("noticeSummary"))->text(),
                 QStringLiteral("ランクアップ！"));
        // Beside the window: above its frame, not at the screen's corner.
        QVERIFY(balloon->geometry().bottom() < w->frameGeometry().top() ||
                w->geometry().contains(balloon->geometry().topLeft()));
        QVERIFY(balloon->x() > 0 || w->frameGeometry().left() <= 0);
        // A click brings the window forward and takes the note away.
        w->hide();
        QTest::mouseClick(balloon, Qt::LeftButton);
        QTRY_VERIFY(SessionFixture::window("noticeBalloon") == nullptr);
        QVERIFY(w->isVisible());
    }

    void withNeitherItIsSilent() {
        fx->desktop.tray = false;
        MainWindow* w = run(kBeforeTitle, true);
        w->hideToTray(false);  // minimised: nothing in view, nothing in the area
        QSignalSpy dropped(companion->notifier(), &Notifier::dropped);
        tickAt(w, kAtTitle);
        QTRY_COMPARE(dropped.size(), 1);
        QVERIFY(fx->desktop.messages.isEmpty());
    }
};

QTEST_MAIN(NoticesTest)
#include "notices_qtest.moc"

// The windows beside the display in the running program: reached from both
// display windows' menus, by name from a later start and from the command
// line; what the craving helper's answers leave in the record (and that
// closing it leaves nothing, nor touches a file); attempts when the quit
// moment changes; the refresh they follow; and the exit they go with.
#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/record_window.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/urge_chart.h"
#include "display/panel_texts.h"
#include "recovery/attempt_lines.h"
#include "recovery/craving.h"
#include "recovery/health_steps.h"
#include "session/session.h"
#include "support/session_fixture.h"
#include "support/tick.h"

using namespace kemless;

Q_DECLARE_METATYPE(kemless::RunningCopyAnswer)

namespace {

const CalendarMoment kQuit{2026, 11, 1, 9, 0};

// A started program, its clock a few weeks after the quit.
struct Program : SessionFixture {
    explicit Program(WindowMode mode = WindowMode::Main) {
        OptionSettings o;
        o.windowMode = mode;
        InitialSettings in;
        in.quit = kQuit;
        writeStarted(in, o);
        clock.moment = {2026, 12, 10, 12, 0};
    }
    // What landed in the journal, as the record reads it.
    std::vector<AttemptEvent> events() const {
        return AttemptEventsOf(ParseJournal(bytes("journal.txt").toStdString()));
    }
    void open(const char* name) const { session->openWindow(QString::fromLatin1(name)); }
    void answer(const char* button) const {
        open(Session::kCravingName);
        session->cravingWindow()->button(button)->click();
        session->cravingWindow()->close();
        settle();
    }
    QString journalPath() const { return dir.filePath(QStringLiteral("kemlessdata/journal.txt")); }
    void trigger(const char* action) const {
        session->windowOfTheMode()->popupMenu()->findChild<QAction*>(QLatin1String(action))->trigger();
        QCoreApplication::sendPostedEvents();
    }
};

}  // namespace

class RecoveryWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void eachIsReachedFromBothMenusOnceAtATime_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("window");
        for (const auto& [mode, modeName] : {std::pair{WindowMode::Main, "main"}, {WindowMode::Mini, "mini"}})
            for (const auto& [action, window] : {std::pair{"cravingAction", "cravingWindow"},
                                                 {"recordAction", "recordWindow"},
                                                 {"healthAction", "healthWindow"},
                                                 {"planAction", "planWindow"}})
                QTest::addRow("%s window: %s", modeName, action)
                    << int(mode) << QString::fromLatin1(action) << QString::fromLatin1(window);
    }
    void eachIsReachedFromBothMenusOnceAtATime() {
        QFETCH(int, mode);
        QFETCH(QString, action);
        QFETCH(QString, window);
        Program p(static_cast<WindowMode>(mode));
        p.start();
        p.trigger(action.toLatin1().constData());
        p.trigger(action.toLatin1().constData());
        QCOMPARE(CountWindows(window.toLatin1().constData()), 1);
        QWidget* w = Window(window.toLatin1().constData());
        QVERIFY(w->isVisible());
        // The display window of the mode stays as it was.
        QVERIFY(p.session->windowOfTheMode()->isVisible());
    }

    void theyShowTheFiguresOfTheRefreshAndFollowIt() {
        Program p;
        p.start();
        p.session->openWindow(QString::fromLatin1(Session::kCravingName));
        p.session->openWindow(QString::fromLatin1(Session::kHealthName));
        CravingWindow* craving = p.session->cravingWindow();
        HealthWindow* health = p.session->healthWindow();
        const auto figures = WonSoFar(p.session->display());
        QCOMPARE(craving->figureLabel(0)->text(),
                 QString::fromStdString(figures[0].heading + "　" + figures[0].value));
        QCOMPARE(health->summaryLabel()->text(),
                 QString::fromStdString(ComputeHealthTimeline(kQuit, p.clock.moment).summary));
        // The next refresh, a year on: every figure and step follows.
        p.clock.moment = {2027, 11, 1, 9, 0};
        QVERIFY(Tick(*p.session));
        QCOMPARE(craving->figureLabel(0)->text(),
                 QString::fromStdString(figures[0].heading + "　" + WonSoFar(p.session->display())[0].value));
        QCOMPARE(health->stepLabel(6)->text().section(QLatin1Char('\n'), 1),
                 QStringLiteral("２０２７年１１月１日９時０分に到達"));
    }

    void theAnswersLandInTheRecordAndASlipKeepsTheQuitMoment() {
        Program p;
        p.start();
        p.session->openWindow(QString::fromLatin1(Session::kRecordName));
        p.session->openWindow(QString::fromLatin1(Session::kCravingName));
        const QByteArray initialBefore = p.bytes("initial.ini");
        const QByteArray optionBefore = p.bytes("option.ini");

        p.clock.moment = {2026, 12, 10, 12, 5};
        p.session->cravingWindow()->button("urgePassedButton")->click();
        QCOMPARE(p.events(),
                 (std::vector<AttemptEvent>{{{2026, 12, 10, 12, 5}, AttemptEventKind::UrgePassed, {}}}));
        QCOMPARE(p.session->cravingWindow()->messageLabel()->text(), QString::fromUtf8(kUrgePassedWords));
        // The record that is open shows it at once.
        QCOMPARE(p.session->recordWindow()->line(0)->text(), QStringLiteral("１回"));
        p.session->cravingWindow()->close();

        p.clock.moment = {2026, 12, 10, 19, 0};
        p.session->openWindow(QString::fromLatin1(Session::kCravingName));
        p.session->cravingWindow()->button("slipButton")->click();
        QCOMPARE(p.events().size(), size_t{2});
        QCOMPARE(p.events().back(), (AttemptEvent{{2026, 12, 10, 19, 0}, AttemptEventKind::Slip, {}}));
        QCOMPARE(p.session->cravingWindow()->messageLabel()->text(), QString::fromUtf8(kSlipWords));
        QCOMPARE(p.session->recordWindow()->line(1)->text(), QStringLiteral("１回"));
        // Not a restart: the quit moment and both files are as they were.
        QVERIFY(p.session->initial().quit == kQuit);
        QCOMPARE(p.bytes("initial.ini"), initialBefore);
        QCOMPARE(p.bytes("option.ini"), optionBefore);
        // The record's way back to the helper opens a fresh one once this goes.
        p.session->cravingWindow()->close();
        p.session->recordWindow()->button("cravingButton")->click();
        QVERIFY(p.session->cravingWindow()->button("urgePassedButton")->isEnabled());
    }

    // A second craving after an answer, or after the five minutes, gets a
    // fresh helper in the same window; one still running comes forward as
    // it is.
    void aSecondCravingGetsAFreshHelper() {
        Program p;
        p.start();
        p.open(Session::kCravingName);
        CravingWindow* craving = p.session->cravingWindow();
        craving->renderAt(100'000);
        p.open(Session::kCravingName);
        QCOMPARE(p.session->cravingWindow(), craving);
        QCOMPARE(craving->countdownLabel()->text(), QString::fromStdString(CravingAt(100'000).countdown));

        craving->button("urgePassedButton")->click();
        QCOMPARE(p.events().size(), size_t{1});
        p.open(Session::kCravingName);
        QCOMPARE(p.session->cravingWindow(), craving);
        QVERIFY(craving->button("urgePassedButton")->isVisible());
        QCOMPARE(craving->countdownLabel()->text(), QStringLiteral("あと５分"));
        craving->button("slipButton")->click();
        QCOMPARE(p.events().size(), size_t{2});
        QCOMPARE(p.events().back().kind, AttemptEventKind::Slip);

        // Over by the clock, without an answer.
        craving->startAfresh();
        craving->renderAt(300'000);
        p.open(Session::kCravingName);
        QCOMPARE(craving->countdownLabel()->text(), QStringLiteral("あと５分"));
        QVERIFY(craving->button("urgePassedButton")->isEnabled());
    }

    void closingTheHelperRecordsNothing() {
        Program p;
        p.start();
        p.session->openWindow(QString::fromLatin1(Session::kCravingName));
        CravingWindow* craving = p.session->cravingWindow();
        craving->renderAt(300'000);
        QTest::keyClick(craving, Qt::Key_Escape);
        p.settle();
        QVERIFY(!p.session->cravingWindow());
        QVERIFY(p.events().empty());
    }

    // Only the ceremony begins an attempt: a quit moment changed in the
    // settings (a typo mended, or moved back and forth) corrects this one,
    // so the record never shows an attempt that never was.
    void aQuitMomentChangedInTheSettingsCorrectsThisAttempt() {
        Program p;
        p.start();
        p.session->openWindow(QString::fromLatin1(Session::kRecordName));
        // Settings saved without touching the quit moment: the attempt runs on.
        OpenSettings(*p.session);
        auto* dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
        dialog->findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        p.settle();
        QVERIFY(p.events().empty());
        p.clock.moment = {2026, 12, 10, 12, 5};
        p.session->openWindow(QString::fromLatin1(Session::kCravingName));
        p.session->cravingWindow()->button("urgePassedButton")->click();
        p.session->cravingWindow()->close();
        p.settle();
        // The day typed wrong (9), and mended a minute later (back to 1).
        auto setDay = [&](const char* day) {
            OpenSettings(*p.session);
            auto* d = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
            d->quitBox(2)->setText(QString::fromLatin1(day));
            d->findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
            p.settle();
        };
        p.clock.moment = {2026, 12, 10, 12, 10};
        setDay("9");
        p.clock.moment = {2026, 12, 10, 12, 11};
        setDay("1");
        QCOMPARE(p.events(),
                 (std::vector<AttemptEvent>{
                     {{2026, 12, 10, 12, 5}, AttemptEventKind::UrgePassed, {}},
                     {{2026, 12, 10, 12, 10}, AttemptEventKind::QuitCorrected, {2026, 11, 9, 9, 0}},
                     {{2026, 12, 10, 12, 11}, AttemptEventKind::QuitCorrected, kQuit}}));
        // The record window stayed open through the settings: one attempt,
        // its urge still this attempt's, no attempt that never was.
        QVERIFY(Tick(*p.session));
        QCOMPARE(p.session->recordWindow()->line(0)->text(), QStringLiteral("１回"));
        QCOMPARE(p.session->recordWindow()->line(4)->text(), QStringLiteral("３９日３時間（今回）"));
    }

    // What the helper's answers and a new quit moment leave is kept in the
    // journal beside the record, as lines a person can read, and the record
    // of the next run shows it; the record no longer says it lasts a run.
    void theRecordIsKeptInTheJournalAcrossARestart() {
        Program p;
        p.start();
        p.clock.moment = {2026, 12, 10, 12, 5};
        p.answer("urgePassedButton");
        p.clock.moment = {2026, 12, 10, 19, 0};
        p.answer("slipButton");
        // A new quit moment from the settings, the next morning.
        p.clock.moment = {2026, 12, 11, 8, 0};
        OpenSettings(*p.session);
        auto* dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
        dialog->quitBox(1)->setText(QStringLiteral("12"));
        dialog->quitBox(2)->setText(QStringLiteral("11"));
        dialog->quitBox(3)->setText(QStringLiteral("8"));
        dialog->quitBox(4)->setText(QStringLiteral("0"));
        dialog->findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        p.settle();
        p.clock.moment = {2026, 12, 11, 9, 30};
        p.answer("urgePassedButton");
        QCOMPARE(p.bytes("journal.txt"),
                 QByteArray("2026-12-10 12:05 urge\n"
                            "2026-12-10 19:00 slip\n"
                            "2026-12-11 08:00 attempt-corrected quit=2026-12-11T08:00\n"
                            "2026-12-11 09:30 urge\n"));
        p.stop();

        p.clock.moment = {2026, 12, 12, 9, 0};
        p.start();
        p.open(Session::kRecordName);
        RecordWindow* record = p.session->recordWindow();
        const QStringList expected{"２回", "１回", "２回", "１回", "１日１時間（今回）"};
        for (int i = 0; i < expected.size(); ++i) QCOMPARE(record->line(i)->text(), expected[i]);
        QCOMPARE(record->chart()->counts()[kChartDays - 3], 1);  // 10 December
        QCOMPARE(record->chart()->counts()[kChartDays - 2], 1);  // 11 December
        QVERIFY(record->noteLabel()->isHidden());
        QVERIFY(p.desktop.messages.isEmpty());
    }

    // Where the journal stands something that is no file of ours, the
    // helper's answers write nothing, the words say it was not kept, the
    // record says why it counts nothing, and the box about it comes once.
    void aJournalThatIsNoFileWritesNothing_data() {
        QTest::addColumn<QString>("what");
        QTest::addRow("a FIFO") << "fifo";
        QTest::addRow("a folder") << "folder";
    }
    void aJournalThatIsNoFileWritesNothing() {
        QFETCH(QString, what);
        Program p;
        const QByteArray path = p.journalPath().toLocal8Bit();
        if (what == QLatin1String("fifo"))
            QCOMPARE(mkfifo(path.constData(), 0600), 0);
        else
            QVERIFY(QDir().mkpath(p.journalPath()));
        const QByteArray initialBefore = p.bytes("initial.ini");
        p.start();
        p.open(Session::kCravingName);
        p.session->cravingWindow()->button("urgePassedButton")->click();
        QCOMPARE(p.session->cravingWindow()->messageLabel()->text(),
                 QString::fromUtf8(kUrgePassedWords) + QLatin1Char('\n') + QString::fromUtf8(kNotKeptWords));
        p.session->cravingWindow()->close();
        p.settle();
        p.answer("slipButton");
        p.open(Session::kRecordName);
        QVERIFY(p.session->recordWindow()->noteLabel()->text().contains(QStringLiteral("読み書きできない")));
        QCOMPARE(p.session->recordWindow()->line(0)->text(), QStringLiteral("０回"));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(p.desktop.messages.size(), 1);
        QVERIFY(p.desktop.messages.first().contains(QStringLiteral("吸ってしまった")));
        // What stands there is as it was, and so is the record.
        struct stat st {};
        QCOMPARE(lstat(path.constData(), &st), 0);
        QVERIFY(what == QLatin1String("fifo") ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode));
        QCOMPARE(p.bytes("initial.ini"), initialBefore);
        QVERIFY(p.session->initial().quit == kQuit);
    }

    void exitClosesThemAndClosingThemEndsNothing() {
        Program p;
        p.start();
        p.session->openWindow(QString::fromLatin1(Session::kHealthName));
        // The display hidden in the notification area: closing the timeline
        // leaves the program running.
        p.session->mainWindow()->hideToTray(true);
        p.session->healthWindow()->close();
        p.settle();
        QCOMPARE(p.process.quits, 0);
        p.session->openWindow(QString::fromLatin1(Session::kCravingName));
        p.session->openWindow(QString::fromLatin1(Session::kRecordName));
        p.session->mainWindow()->restoreFromTray();
        p.trigger("exitAction");
        p.settle();
        QCoreApplication::sendPostedEvents();
        p.settle();
        QVERIFY(!Window("cravingWindow") && !Window("recordWindow"));
        QCOMPARE(p.process.quits, 1);
        QVERIFY(p.events().empty());
    }

    void aLaterStartAsksForAWindowByName() {
        Program p;
        p.start();
        emit p.process.windowRequested(QStringLiteral("health"));
        QVERIFY(p.session->healthWindow() && p.session->healthWindow()->isVisible());
        emit p.process.windowRequested(QStringLiteral("settings"));
        QCOMPARE(CountWindows("settingsDialog"), 0);
        // While the settings are open the dialog comes forward instead.
        p.session->healthWindow()->close();
        OpenSettings(*p.session);
        emit p.process.windowRequested(QStringLiteral("craving"));
        QVERIFY(!p.session->cravingWindow());
        QVERIFY(Window("settingsDialog")->isVisible());
        // ...and the later start is told so.
        QCOMPARE(p.process.answered, QList<RunningCopyAnswer>{RunningCopyAnswer::Settings});
    }

    void theCommandLineOpensOneOnceTheDisplayIsUp() {
        Program p;
        p.make().setStartWindow(QStringLiteral("craving"));
        p.session->start();
        QVERIFY(p.session->mainWindow()->isVisible());
        QVERIFY(p.session->cravingWindow() && p.session->cravingWindow()->isVisible());
        QVERIFY(p.desktop.messages.isEmpty());
    }

    // Asked for before the quit has started (a launcher's action on a new
    // folder, or a later start during the setup): the setup comes first, and
    // the window opens once the ceremony has started the quit.
    void beforeTheQuitHasStartedTheSetupComesFirstThenTheWindow_data() {
        QTest::addColumn<bool>("fromALaterStart");
        QTest::addRow("the command line") << false;
        QTest::addRow("a later start") << true;
    }
    void beforeTheQuitHasStartedTheSetupComesFirstThenTheWindow() {
        QFETCH(bool, fromALaterStart);
        SessionFixture f;  // no record yet
        f.clock.moment = {2026, 11, 5, 7, 8};
        f.make();
        if (!fromALaterStart) f.session->setStartWindow(QStringLiteral("record"));
        f.session->start();
        auto* setup = qobject_cast<FirstRunSetup*>(Window("firstRunSetup"));
        QVERIFY(setup && setup->isVisible());
        QVERIFY(!f.session->recordWindow());
        if (fromALaterStart) {
            emit f.process.windowRequested(QStringLiteral("record"));
            QCOMPARE(f.process.answered.last(), RunningCopyAnswer::AfterSetup);
            QVERIFY(!f.session->recordWindow());
        }
        setup->perDayBox()->setText(QStringLiteral("20"));
        setup->priceBox()->setText(QStringLiteral("500"));
        setup->confirmButton()->click();
        auto* ceremony = qobject_cast<StartCeremony*>(Window("startCeremony"));
        QVERIFY(ceremony);
        QVERIFY(!f.session->recordWindow());
        ceremony->startButton()->click();
        QVERIFY(f.session->mainWindow() && f.session->mainWindow()->isVisible());
        QVERIFY(f.session->recordWindow() && f.session->recordWindow()->isVisible());
        QVERIFY(f.desktop.messages.isEmpty());
    }

    // A later start says what the running copy did with its request, and
    // ends with 1 where nothing it asked for was done.
    void aSecondCopySaysWhatTheRunningCopyAnswered_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<RunningCopyAnswer>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("status");
        const QString already = QStringLiteral("プログラムは既に起動されています。");
        QTest::addRow("window opened") << "health" << RunningCopyAnswer::Shown << QStringList() << 0;
        QTest::addRow("window, an older copy") << "health" << RunningCopyAnswer::Told << QStringList() << 0;
        QTest::addRow("window after the setup")
            << "health" << RunningCopyAnswer::AfterSetup << QStringList() << 0;
        QTest::addRow("window, settings instead")
            << "record" << RunningCopyAnswer::Settings << QStringList() << 1;
        QTest::addRow("window, no answer")
            << "record" << RunningCopyAnswer::NoAnswer
            << QStringList{QStringLiteral(
                   "起動中のケムレスが応えないため、「これまでの記録」を開けませんでした。"
                   "しばらくしてから、もう一度お試しください")}
            << 1;
        QTest::addRow("plain, shown") << "" << RunningCopyAnswer::Shown << QStringList{already} << 0;
        QTest::addRow("plain, settings forward")
            << "" << RunningCopyAnswer::Settings << QStringList{already} << 0;
        QTest::addRow("plain, no answer")
            << "" << RunningCopyAnswer::NoAnswer
            << QStringList{already + QStringLiteral("起動中のケムレスが応えないため、前に出せませんでした。"
                                                    "しばらくしてから、もう一度お試しください")}
            << 1;
    }
    void aSecondCopySaysWhatTheRunningCopyAnswered() {
        QFETCH(QString, window);
        QFETCH(RunningCopyAnswer, answer);
        QFETCH(QStringList, messages);
        QFETCH(int, status);
        Program p;
        p.process.singleInstance = false;
        p.process.answer = answer;
        p.make().setStartWindow(window);
        QVERIFY_THROWS_EXCEPTION(Terminated, p.session->start());
        QCOMPARE(p.process.terminations, 1);
        QCOMPARE(p.process.exitStatus, status);
        QCOMPARE(p.desktop.messages, messages);
        QVERIFY(!AnyWindowVisible());
    }

    void aSecondCopyAskedForAWindowEndsWithoutABox() {
        Program p;
        p.process.singleInstance = false;
        p.make().setStartWindow(QStringLiteral("health"));
        QVERIFY_THROWS_EXCEPTION(Terminated, p.session->start());
        QCOMPARE(p.process.terminations, 1);
        QVERIFY(p.desktop.messages.isEmpty());
        // A plain second start still says it in a box.
        Program plain;
        plain.process.singleInstance = false;
        QVERIFY_THROWS_EXCEPTION(Terminated, plain.start());
        QCOMPARE(plain.desktop.messages, QStringList{QStringLiteral("プログラムは既に起動されています。")});
    }
};

QTEST_MAIN(RecoveryWindowsTest)
#include "recovery_windows_qtest.moc"

// わたしの卒煙プラン in the running program: opened from both menus and by
// name, saved to plan.ini and read back at the next start, a plan.ini that
// cannot be read said once and never written; the craving helper showing a
// reason and the plan for the trigger picked, which lands in the journal
// and in the record.
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "dialogs/hour_strip.h"
#include "dialogs/plan_in_craving.h"
#include "dialogs/plan_window.h"
#include "dialogs/record_window.h"
#include "plan/plan_file.h"
#include "plan/reward.h"
#include "recovery/attempt_lines.h"
#include "recovery/craving.h"
#include "session/session.h"
#include "support/session_fixture.h"

using namespace kemless;

namespace {

const CalendarMoment kQuit{2026, 11, 1, 9, 0};

struct Program : SessionFixture {
    explicit Program(WindowMode mode = WindowMode::Main) {
        OptionSettings o;
        o.windowMode = mode;
        InitialSettings in;
        in.quit = kQuit;
        writeStarted(in, o);
        clock.moment = {2026, 12, 10, 12, 0};
    }
    QString path(const char* name) const { return dir.filePath(QStringLiteral("kemlessdata/") + name); }
    void writePlan(const Plan& plan) const {
        QFile f(path(kPlanName));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(WritePlan(plan)));
    }
    void open(const char* name) const { session->openWindow(QString::fromLatin1(name)); }
};

Plan SamplePlan() {
    Plan p;
    p.reasons = {"家族のため", "走れるように"};
    p.triggers = {{"食後", "歯をみがく"}, {"コーヒー", ""}};
    return p;
}

}  // namespace

class PlanSessionTest : public QObject {
    Q_OBJECT
private slots:
    void openedFromBothMenusAndByName_data() {
        QTest::addColumn<int>("mode");
        QTest::addRow("main") << int(WindowMode::Main);
        QTest::addRow("mini") << int(WindowMode::Mini);
    }
    void openedFromBothMenusAndByName() {
        QFETCH(int, mode);
        Program p(static_cast<WindowMode>(mode));
        p.start();
        p.session->windowOfTheMode()
            ->popupMenu()
            ->findChild<QAction*>(QStringLiteral("planAction"))
            ->trigger();
        QCoreApplication::sendPostedEvents();
        QVERIFY(p.session->planWindow() != nullptr && p.session->planWindow()->isVisible());
        // By name (a later start, --plan): the same window, not a second one.
        p.open(Session::kPlanName);
        QCOMPARE(CountWindows("planWindow"), 1);
        // Opening it reads plan.ini and writes nothing: no file for an empty plan.
        QVERIFY(!QFile::exists(p.path(kPlanName)));
    }

    void savedToPlanIniAndReadBackAtTheNextStart() {
        Program p;
        p.start();
        p.open(Session::kPlanName);
        PlanWindow* w = p.session->planWindow();
        w->reasonEdit(0)->setText(QStringLiteral("家族のため"));
        w->commonTriggerBox(0)->setChecked(true);
        w->commonActionEdit(0)->setText(QStringLiteral("歯をみがく"));
        w->rewardNameEdit()->setText(QStringLiteral("ロードバイク"));
        w->rewardPriceBox()->setValue(120000);
        w->button("saveButton")->click();
        QVERIFY(p.desktop.messages.isEmpty());
        const Plan saved = ParsePlan(p.bytes(kPlanName).toStdString());
        QCOMPARE(saved.reasons, std::vector<std::string>{"家族のため"});
        QCOMPARE(saved.triggers, (std::vector<TriggerPlan>{{"食後", "歯をみがく"}}));
        QCOMPARE(saved.reward, (std::optional<Reward>{Reward{"ロードバイク", 120000}}));
        // The user's own file only: private, as the record files are.
        struct stat st {};
        QCOMPARE(::stat(p.path(kPlanName).toLocal8Bit().constData(), &st), 0);
        QCOMPARE(st.st_mode & 077, 0u);
        // The reward's progress is the money the main window counts.
        const RewardProgress progress = ComputeRewardProgress(saved, p.session->display().moneySaved, kQuit);
        QCOMPARE(w->rewardWordsLabel()->text(), QString::fromStdString(progress.words));

        p.stop();
        p.start();
        p.open(Session::kPlanName);
        w = p.session->planWindow();
        QCOMPARE(w->reasonEdit(0)->text(), QStringLiteral("家族のため"));
        QVERIFY(w->commonTriggerBox(0)->isChecked());
        QCOMPARE(w->commonActionEdit(0)->text(), QStringLiteral("歯をみがく"));
        QCOMPARE(w->rewardNameEdit()->text(), QStringLiteral("ロードバイク"));
    }

    // A FIFO stands at plan.ini: said once, in a box, and never written,
    // however often the window opens or 保存 is pressed.
    void aPlanThatCannotBeReadIsSaidOnceAndNeverWritten() {
        Program p;
        QVERIFY(::mkfifo(p.path(kPlanName).toLocal8Bit().constData(), 0600) == 0);
        p.start();
        p.open(Session::kPlanName);
        QCoreApplication::sendPostedEvents();
        QTRY_COMPARE(p.desktop.messages.size(), 1);
        QVERIFY2(p.desktop.messages[0].startsWith(
                     QStringLiteral("「わたしの卒煙プラン」のファイルが使えません。")),
                 qPrintable(p.desktop.messages[0]));
        QVERIFY(p.desktop.messages[0].contains(p.path(kPlanName)));
        p.session->planWindow()->reasonEdit(0)->setText(QStringLiteral("家族のため"));
        p.session->planWindow()->button("saveButton")->click();
        QCOMPARE(p.desktop.messages.size(), 2);
        QVERIFY(p.desktop.messages[1].startsWith(
            QStringLiteral("「わたしの卒煙プラン」を保存できませんでした。")));
        p.session->planWindow()->close();
        p.settle();
        p.open(Session::kPlanName);
        QTest::qWait(10);
        QCOMPARE(p.desktop.messages.size(), 2);
        struct stat st {};
        QCOMPARE(::lstat(p.path(kPlanName).toLocal8Bit().constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    // The helper shows a reason and, for the trigger picked, its plan; the
    // answer keeps the trigger, and the record counts it.
    void aTriggerPickedInTheHelperLandsInTheJournalAndTheRecord() {
        Program p;
        p.writePlan(SamplePlan());
        p.start();
        p.open(Session::kRecordName);
        p.open(Session::kCravingName);
        PlanInCraving* part = p.session->cravingWindow()->planPart();
        QVERIFY(part != nullptr && part->isVisible());
        QCOMPARE(part->reasonLabel()->text(), QStringLiteral("やめる理由：家族のため"));
        part->showReasonAt(kReasonTurnMs);
        QCOMPARE(part->reasonLabel()->text(), QStringLiteral("やめる理由：走れるように"));
        QCOMPARE(part->chipCount(), 2);
        QCOMPARE(part->chip(0)->text(), QStringLiteral("食後"));
        // A press picks, a second takes it back, another picks that one.
        part->chip(0)->click();
        QVERIFY(part->planLabel()->isVisible());
        QCOMPARE(part->planLabel()->text(), QString::fromStdString(IfThenText(SamplePlan().triggers[0])));
        part->chip(0)->click();
        QVERIFY(!part->planLabel()->isVisible());
        part->chip(1)->click();
        QCOMPARE(part->planLabel()->text(), QString::fromStdString(IfThenText(SamplePlan().triggers[1])));
        part->chip(0)->click();
        QVERIFY(!part->chip(1)->isChecked());

        p.clock.moment = {2026, 12, 10, 12, 5};
        p.session->cravingWindow()->button("urgePassedButton")->click();
        QVERIFY(p.bytes("journal.txt").contains("2026-12-10 12:05 urge trigger=食後"));
        const std::vector<AttemptEvent> events =
            AttemptEventsOf(ParseJournal(p.bytes("journal.txt").toStdString()));
        QCOMPARE(events.back(),
                 (AttemptEvent{{2026, 12, 10, 12, 5}, AttemptEventKind::UrgePassed, {}, "食後"}));
        RecordWindow* record = p.session->recordWindow();
        QVERIFY2(record->triggersLabel()->text().contains(QStringLiteral("食後")),
                 qPrintable(record->triggersLabel()->text()));
        QCOMPARE(record->hourStrip()->counts()[12], 1);

        // The next urge in the same helper picks nothing: its answer names no trigger.
        p.open(Session::kCravingName);
        QCOMPARE(p.session->cravingWindow()->planPart()->picked(), QString());
        QVERIFY(!p.session->cravingWindow()->planPart()->chip(0)->isChecked());
        p.session->cravingWindow()->button("slipButton")->click();
        QVERIFY(p.bytes("journal.txt").endsWith("2026-12-10 12:05 slip\n"));
    }

    // Without a plan the helper is as it was: no reason, no chips.
    void withoutAPlanTheHelperShowsNoneOfIt() {
        Program p;
        p.start();
        p.open(Session::kCravingName);
        PlanInCraving* part = p.session->cravingWindow()->planPart();
        QVERIFY(part == nullptr || !part->isVisible());
    }
};

QTEST_MAIN(PlanSessionTest)
#include "plan_session_qtest.moc"

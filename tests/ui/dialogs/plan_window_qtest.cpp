// わたしの卒煙プラン alone: it shows the plan and the reward's progress it
// is given, hands back what the user typed (and only on 保存), starts the
// next reward once one is reached, is gone through by the keyboard in
// reading order, and fits a small screen.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <memory>

#include "desktop/placement.h"
#include "dialogs/plan_window.h"
#include "plan/reward.h"

using namespace kemless;

Q_DECLARE_METATYPE(kemless::Plan)

namespace {

const CalendarMoment kQuit{2026, 11, 1, 9, 0};

Plan SamplePlan() {
    Plan p;
    p.reasons = {"家族のため", "走れるように"};
    p.triggers = {{"コーヒー", "水を飲む"}, {"会議のあと", "散歩する"}};
    PlanAlarm a;
    a.hour = 21;
    a.minute = 30;
    a.days = {false, true, true, true, true, true, false};
    a.trigger = "コーヒー";
    a.on = true;
    p.alarms = {a};
    p.reward = Reward{"ロードバイク", 120000};
    p.reached = {{{"腕時計", 30000}, kQuit}};
    p.kept = {"future=key"};
    return p;
}

QString SpokenName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a != nullptr ? a->text(QAccessible::Name) : QString();
}

// Every widget the keyboard stops at, going round once with Tab.
QStringList TabRound(QWidget* from) {
    QStringList seen;
    from->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 200; ++i) {
        QWidget* now = QApplication::focusWidget();
        if (now == nullptr || (i > 0 && now == from)) break;
        seen << now->objectName();
        QTest::keyClick(now, Qt::Key_Tab);
    }
    return seen;
}

// Typed over what the box holds: Japanese as an input method hands it over.
void Type(QWidget* w, const QString& text) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QInputMethodEvent typed;
    typed.setCommitString(text);
    QApplication::sendEvent(w, &typed);
}

}  // namespace

class PlanWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<Plan>(); }

    void showsThePlanItIsGiven() {
        PlanWindow w;
        const Plan plan = SamplePlan();
        const RewardProgress progress = ComputeRewardProgress(plan, 84477 + 30000, kQuit);
        w.render(plan, progress);
        w.show();
        QCOMPARE(w.reasonEdit(0)->text(), QStringLiteral("家族のため"));
        QCOMPARE(w.reasonEdit(1)->text(), QStringLiteral("走れるように"));
        QVERIFY(w.reasonEdit(2)->text().isEmpty());
        QCOMPARE(SpokenName(w.reasonEdit(2)), QStringLiteral("やめる理由３"));
        // コーヒー is the second common trigger.
        QVERIFY(!w.commonTriggerBox(0)->isChecked());
        QVERIFY(w.commonTriggerBox(1)->isChecked());
        QCOMPARE(w.commonActionEdit(1)->text(), QStringLiteral("水を飲む"));
        QCOMPARE(SpokenName(w.commonActionEdit(1)), QStringLiteral("コーヒーに吸いたくなったら"));
        QCOMPARE(w.ownTriggerEdit(0)->text(), QStringLiteral("会議のあと"));
        QCOMPARE(w.ownActionEdit(0)->text(), QStringLiteral("散歩する"));
        // The named row and one empty one.
        QVERIFY(w.ownTriggerEdit(1)->isVisible());
        QVERIFY(!w.ownTriggerEdit(2)->isVisible());
        QVERIFY(w.alarmBox(0)->isChecked());
        QCOMPARE(w.alarmTime(0)->time(), QTime(21, 30));
        QVERIFY(!w.alarmDay(0, 0)->isChecked());
        QVERIFY(w.alarmDay(0, 1)->isChecked());
        QCOMPARE(w.alarmTrigger(0)->currentText(), QStringLiteral("コーヒー"));
        // Off by default, and then nothing of the row but its box can be touched.
        QVERIFY(!w.alarmBox(1)->isChecked());
        QVERIFY(!w.alarmTime(1)->isEnabled());
        QCOMPARE(w.rewardNameEdit()->text(), QStringLiteral("ロードバイク"));
        QCOMPARE(w.rewardPriceBox()->value(), 120000);
        QCOMPARE(w.rewardWordsLabel()->text(), QString::fromStdString(progress.words));
        QCOMPARE(SpokenName(w.rewardWordsLabel()), QString::fromStdString(progress.words));
        QCOMPARE(w.rewardBar()->value(), progress.permille);
        QVERIFY(!w.button("nextRewardButton")->isVisible());
        QCOMPARE(w.reachedLabel()->text(), QStringLiteral("これまでに届いたごほうび：腕時計（30,000円）"));

        // A refresh moves the progress on and leaves what is being typed alone.
        w.reasonEdit(2)->setText(QStringLiteral("書きかけ"));
        const RewardProgress later = ComputeRewardProgress(plan, 200000, kQuit);
        w.showProgress(later);
        QCOMPARE(w.rewardWordsLabel()->text(), QString::fromStdString(later.words));
        QCOMPARE(w.reasonEdit(2)->text(), QStringLiteral("書きかけ"));
        QVERIFY(w.button("nextRewardButton")->isVisible());
    }

    void whatTheUserTypesComesOutOnSave() {
        PlanWindow w;
        w.render(SamplePlan(), ComputeRewardProgress(SamplePlan(), 0, kQuit));
        w.show();
        QSignalSpy saved(&w, &PlanWindow::saved);
        Type(w.reasonEdit(2), QStringLiteral("  お金をためる "));
        w.reasonEdit(0)->clear();
        // Ticking a trigger, and writing a plan for another ticks it.
        w.commonTriggerBox(0)->setChecked(true);
        Type(w.commonActionEdit(0), QStringLiteral("歯をみがく"));
        Type(w.commonActionEdit(2), QStringLiteral("ノンアルコールにする"));
        QVERIFY(w.commonTriggerBox(2)->isChecked());
        w.commonTriggerBox(1)->setChecked(false);
        // Naming an own trigger offers one more row.
        Type(w.ownTriggerEdit(1), QStringLiteral("夜ふかし"));
        QVERIFY(w.ownTriggerEdit(2)->isVisible());
        // The third alarm on: the second row stays, off, so each keeps its place.
        w.alarmBox(2)->setChecked(true);
        w.alarmTime(2)->setTime(QTime(7, 5));
        w.alarmDay(2, 0)->setChecked(false);
        // Its list offers the triggers chosen, as they are chosen.
        QCOMPARE(w.alarmTrigger(2)->findText(QStringLiteral("朝起きてすぐ")), -1);
        QCOMPARE(w.alarmTrigger(2)->findText(QStringLiteral("夜ふかし")), 4);
        w.commonTriggerBox(5)->setChecked(true);
        w.alarmTrigger(2)->setCurrentIndex(w.alarmTrigger(2)->findText(QStringLiteral("朝起きてすぐ")));
        QCOMPARE(w.alarmTrigger(0)->currentText(), QStringLiteral("きっかけなし"));
        Type(w.rewardNameEdit(), QStringLiteral("温泉旅行"));
        Type(w.rewardPriceBox(), QStringLiteral("45000"));
        QCOMPARE(saved.size(), 0);
        w.button("saveButton")->click();
        QCOMPARE(saved.size(), 1);
        const Plan got = saved.at(0).at(0).value<Plan>();

        Plan expected = SamplePlan();
        expected.reasons = {"走れるように", "お金をためる"};
        expected.triggers = {{"食後", "歯をみがく"},
                             {"お酒", "ノンアルコールにする"},
                             {"朝起きてすぐ", ""},
                             {"会議のあと", "散歩する"},
                             {"夜ふかし", ""}};
        // The first alarm named コーヒー, no longer chosen.
        expected.alarms[0].trigger.clear();
        PlanAlarm morning;
        morning.hour = 7;
        morning.minute = 5;
        morning.days = {false, true, true, true, true, true, true};
        morning.trigger = "朝起きてすぐ";
        morning.on = true;
        expected.alarms.push_back(PlanAlarm());
        expected.alarms.push_back(morning);
        expected.reward = Reward{"温泉旅行", 45000};
        QCOMPARE(got.reasons, expected.reasons);
        QCOMPARE(got.triggers, expected.triggers);
        QCOMPARE(got.alarms.size(), expected.alarms.size());
        for (size_t i = 0; i < got.alarms.size(); ++i) {
            const PlanAlarm &g = got.alarms[i], &e = expected.alarms[i];
            QCOMPARE(g.on, e.on);
            QCOMPARE(QTime(g.hour, g.minute), QTime(e.hour, e.minute));
            QCOMPARE(QString::fromStdString(DaysText(g.days)), QString::fromStdString(DaysText(e.days)));
            QCOMPARE(QString::fromStdString(g.trigger), QString::fromStdString(e.trigger));
        }
        QVERIFY(got.reward == expected.reward);
        QVERIFY(got.reached == expected.reached);
        QCOMPARE(got.kept, expected.kept);
    }

    void aRewardReachedMakesWayForTheNext() {
        PlanWindow w;
        const Plan plan = SamplePlan();
        const RewardProgress reached = ComputeRewardProgress(plan, 200000, kQuit);
        QVERIFY(reached.reached);
        w.render(plan, reached);
        w.show();
        QSignalSpy saved(&w, &PlanWindow::saved);
        QPushButton* next = w.button("nextRewardButton");
        QVERIFY(next->isVisible());
        next->setFocus();
        QTest::keyClick(next, Qt::Key_Return);
        QVERIFY(w.rewardNameEdit()->text().isEmpty());
        QCOMPARE(w.focusWidget(), w.rewardNameEdit());
        QVERIFY(!w.rewardBar()->isVisible());
        QCOMPARE(w.reachedLabel()->text(),
                 QStringLiteral("これまでに届いたごほうび：腕時計（30,000円）、ロードバイク（120,000円）"));
        Type(w.rewardNameEdit(), QStringLiteral("ギター"));
        Type(w.rewardPriceBox(), QStringLiteral("80000"));
        w.button("saveButton")->click();
        QCOMPARE(saved.size(), 1);
        const Plan got = saved.at(0).at(0).value<Plan>();
        QVERIFY(got.reward == (Reward{"ギター", 80000}));
        QVERIFY(got.reached ==
                (std::vector<ReachedReward>{{{"腕時計", 30000}, kQuit}, {{"ロードバイク", 120000}, kQuit}}));
    }

    void theKeyboardGoesThroughInReadingOrder() {
        PlanWindow w;
        Plan plan;
        PlanAlarm on;
        on.on = true;
        plan.alarms = {on};
        w.render(plan, ComputeRewardProgress(plan, 0, kQuit));
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QStringList expected;
        for (int i = 0; i < kMaxReasons; ++i) expected << QStringLiteral("reasonEdit%1").arg(i);
        for (int i = 0; i < 8; ++i)
            expected << QStringLiteral("triggerBox%1").arg(i) << QStringLiteral("triggerAction%1").arg(i);
        expected << "ownTrigger0"
                 << "ownAction0";
        // The time goes from its hours to its minutes.
        expected << "alarmBox0"
                 << "alarmTime0"
                 << "alarmTime0";
        for (int d = 0; d < 7; ++d) expected << QStringLiteral("alarmDay0_%1").arg(d);
        expected << "alarmTrigger0";
        for (int i = 1; i < kMaxAlarms; ++i) expected << QStringLiteral("alarmBox%1").arg(i);
        expected << "rewardName"
                 << "rewardPrice"
                 << "rewardWords"
                 << "saveButton"
                 << "closeButton";
        QCOMPARE(TabRound(w.reasonEdit(0)), expected);

        // The control the keyboard rests on comes into view.
        w.resize(w.width(), 300);
        w.alarmBox(3)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w.alarmBox(3), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.alarmBox(4));
        QCoreApplication::processEvents();
        const QRect seen(w.scrollArea()->viewport()->mapToGlobal(QPoint(0, 0)),
                         w.scrollArea()->viewport()->size());
        QVERIFY(seen.contains(QRect(w.alarmBox(4)->mapToGlobal(QPoint(0, 0)), w.alarmBox(4)->size())));

        // Enter presses the focused button, Escape closes.
        QSignalSpy saved(&w, &PlanWindow::saved);
        QSignalSpy closed(&w, &DialogWindow::closed);
        w.button("saveButton")->setFocus();
        QTest::keyClick(w.button("saveButton"), Qt::Key_Return);
        QCOMPARE(saved.size(), 1);
        QCOMPARE(closed.size(), 0);
        QTest::keyClick(w.reasonEdit(0), Qt::Key_Escape);
        QCOMPARE(closed.size(), 1);
        QCOMPARE(saved.size(), 1);
    }

    // On a 1366 x 768 screen at scale 1, 1.5 and 2 (in the window's own
    // pixels), with a title bar: wholly on it and nothing squeezed.
    void fitsASmallScreen_data() {
        QTest::addColumn<QRect>("area");
        QTest::addRow("scale 1") << QRect(0, 0, 1366, 768);
        QTest::addRow("scale 1.5") << QRect(0, 0, 911, 512);
        QTest::addRow("scale 2") << QRect(0, 0, 683, 384);
    }
    void fitsASmallScreen() {
        QFETCH(QRect, area);
        const QMargins frame(1, 25, 1, 1);
        PlanWindow w;
        w.render(SamplePlan(), ComputeRewardProgress(SamplePlan(), 200000, kQuit));
        w.move(area.right() - 40, area.bottom() - 40);
        w.fitInto(area, frame);
        QVERIFY(area.contains(QRect(w.pos(), w.size().grownBy(frame))));
        QVERIFY(w.width() >= w.minimumSizeHint().width());
        QVERIFY(w.height() >= w.minimumSizeHint().height());
        w.show();
        // Every row is as wide as it wants: nothing cut at the right edge.
        QWidget* rows = w.scrollArea()->widget();
        QVERIFY(rows->width() >= rows->minimumSizeHint().width());
    }

    // The same on the screen itself: the test runs again at scale 1.5 and 2.
    void comesUpOnTheScreen() {
        PlanWindow w;
        w.render(SamplePlan(), ComputeRewardProgress(SamplePlan(), 200000, kQuit));
        w.show();
        const QRect area = AvailableArea(&w);
        QVERIFY(area.isValid());
        QVERIFY(area.contains(QRect(w.pos(), w.size().grownBy(FrameOrAssumed(&w)))));
        QVERIFY(w.width() >= w.minimumSizeHint().width());
        QVERIFY(w.height() >= w.minimumSizeHint().height());
        QWidget* rows = w.scrollArea()->widget();
        QVERIFY(rows->width() >= rows->minimumSizeHint().width());
    }
};

QTEST_MAIN(PlanWindowTest)
#include "plan_window_qtest.moc"

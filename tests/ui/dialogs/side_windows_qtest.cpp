// The windows beside the display alone: the craving helper, the record and
// the health timeline. What each shows of what the core computed, what the
// craving helper says the user did (and that closing says nothing), when its
// picture moves, the keyboard, and that each fits a small screen.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

#include "desktop/accessibility.h"
#include "desktop/placement.h"
#include "dialogs/breathing_ring.h"
#include "dialogs/craving_window.h"
#include "dialogs/health_window.h"
#include "dialogs/hour_strip.h"
#include "dialogs/plan_in_craving.h"
#include "dialogs/record_window.h"
#include "dialogs/urge_chart.h"
#include "plan/triggers.h"
#include "recovery/attempts.h"
#include "recovery/health_steps.h"
#include "windows/widgets.h"

using namespace kemless;

namespace {

const CalendarMoment kQuit{2026, 9, 21, 7, 45};
const CalendarMoment kNow{2026, 12, 10, 21, 30};

RecordView SampleRecord() {
    std::vector<AttemptEvent> events;
    for (const CalendarMoment at : {CalendarMoment{2026, 12, 1, 9, 0}, CalendarMoment{2026, 12, 10, 8, 0},
                                    CalendarMoment{2026, 12, 10, 20, 0}})
        events.push_back({at, AttemptEventKind::UrgePassed, {}});
    events.push_back({{2026, 12, 2, 9, 0}, AttemptEventKind::Slip, {}});
    return MakeRecordView(SummariseAttempts(events, kQuit, kNow), RecordKeeping::ThisRun);
}

HardMoments SampleHardMoments() {
    std::vector<AttemptEvent> events;
    for (const char* trigger : {"食後", "食後", "人が吸っているとき", ""})
        events.push_back({{2026, 12, 9, 23, 30}, AttemptEventKind::UrgePassed, {}, trigger});
    events.push_back({{2026, 12, 10, 0, 10}, AttemptEventKind::Slip, {}, "お酒"});
    return SummariseHardMoments(events, kNow);
}

std::array<FigureLine, 3> SampleFigures() {
    return {FigureLine{"節約できた金額", "46732円"}, FigureLine{"延びた寿命", "６日と３時間４３分"},
            FigureLine{"吸わなかった煙草", "1611本"}};
}

// Each window as the program makes it, filled with a sample.
std::unique_ptr<SideWindow> Make(const QString& name) {
    if (name.startsWith(QLatin1String("cravingWindow"))) {
        auto w = std::make_unique<CravingWindow>();
        w->setFigures(SampleFigures());
        // With the user's plan: two reasons and three triggers.
        if (name.endsWith(QLatin1String("WithPlan")))
            w->setPlan(
                {QStringLiteral("家族のため"), QStringLiteral("走れるように")},
                {{QStringLiteral("食後"), QStringLiteral("食後に吸いたくなったら → 歯をみがく")},
                 {QStringLiteral("人が吸っているとき"), QStringLiteral("人が吸っているときに → 席を外す")},
                 {QStringLiteral("仕事の合間"), QStringLiteral("仕事の合間に → 水を飲む")}});
        return w;
    }
    if (name == QLatin1String("recordWindow")) {
        auto w = std::make_unique<RecordWindow>();
        w->render(SampleRecord());
        w->showHardMoments(SampleHardMoments());
        return w;
    }
    auto w = std::make_unique<HealthWindow>();
    w->render(ComputeHealthTimeline(kQuit, kNow));
    return w;
}

// Every widget the keyboard stops at, going round once with Tab from the
// one that has it.
QList<QWidget*> TabRound(QWidget* window) {
    QList<QWidget*> seen;
    QWidget* first = window->focusWidget();
    for (int i = 0; i < 50; ++i) {
        QWidget* now = QApplication::focusWidget();
        if (now == nullptr || (i > 0 && now == first)) break;
        seen << now;
        QTest::keyClick(now, Qt::Key_Tab);
    }
    return seen;
}

QString SpokenName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a != nullptr ? a->text(QAccessible::Name) : QString();
}

}  // namespace

class SideWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void eachAnswerIsSaidOnceAndClosingSaysNothing_data() {
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("passed");
        QTest::addColumn<int>("slipped");
        QTest::addRow("乗り越えた") << "urgePassedButton" << 1 << 0;
        QTest::addRow("吸ってしまった") << "slipButton" << 0 << 1;
        QTest::addRow("閉じる") << "closeButton" << 0 << 0;
        QTest::addRow("close box") << "" << 0 << 0;
        QTest::addRow("Escape") << "Escape" << 0 << 0;
    }
    void eachAnswerIsSaidOnceAndClosingSaysNothing() {
        QFETCH(QString, press);
        QFETCH(int, passed);
        QFETCH(int, slipped);
        auto* w = new CravingWindow;
        QPointer<CravingWindow> alive(w);
        QSignalSpy passes(w, &CravingWindow::urgePassed);
        QSignalSpy slips(w, &CravingWindow::slipped);
        w->show();
        if (press.isEmpty()) {
            w->close();
        } else if (press == QLatin1String("Escape")) {
            QTest::keyClick(w, Qt::Key_Escape);
        } else {
            w->button(press.toLatin1().constData())->click();
        }
        // After an answer a second press of either counts for nothing.
        if (passed + slipped > 0) {
            w->button("urgePassedButton")->click();
            w->button("slipButton")->click();
        }
        QCOMPARE(passes.size(), passed);
        QCOMPARE(slips.size(), slipped);
        if (passed + slipped > 0) {
            // The answer comes back in words, and the window stays.
            w->showOutcome(QStringLiteral("よく乗り越えました！"));
            QVERIFY(w->messageLabel()->isVisible());
            QCOMPARE(w->focusWidget(), w->messageLabel());
            QVERIFY(!w->button("urgePassedButton")->isVisible());
            w->button("closeAfterButton")->click();
            QCOMPARE(passes.size(), passed);
            QCOMPARE(slips.size(), slipped);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive.isNull());
    }

    void thePictureMovesOnlyWhileShownAndStopsForGood() {
        auto* w = new CravingWindow;
        QPointer<CravingWindow> alive(w);
        QTimer* timer = w->animationTimer();
        QVERIFY(!timer->isActive());
        // A modest frame rate, no busier.
        QVERIFY(timer->interval() >= 40);
        w->show();
        QVERIFY(timer->isActive());
        // It moves: the breath grows within a few frames.
        const int breath = w->ring()->breathPermille();
        QTRY_VERIFY(w->ring()->breathPermille() != breath);
        w->hide();
        QVERIFY(!timer->isActive());
        w->show();
        QVERIFY(timer->isActive());
        w->showMinimized();
        w->close();
        QVERIFY(!timer->isActive());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive.isNull());

        // At the end of the five minutes it stops and stays stopped.
        CravingWindow done;
        done.show();
        done.renderAt(300'000);
        QVERIFY(!done.animationTimer()->isActive());
        QCOMPARE(done.countdownLabel()->text(), QStringLiteral("５分たちました"));
        done.hide();
        done.show();
        QVERIFY(!done.animationTimer()->isActive());
    }

    void theCountdownBreathAndFiguresAreTheCoresAsShown() {
        CravingWindow w;
        w.setLessMotion(false);
        w.setFigures(SampleFigures());
        w.renderAt(87'000);
        const CravingMoment m = CravingAt(87'000);
        QCOMPARE(w.countdownLabel()->text(), QString::fromStdString(m.countdown));
        QCOMPARE(w.ring()->gonePermille(), m.permille);
        QCOMPARE(w.ring()->breathPermille(), m.breathSize);
        QCOMPARE(w.ring()->word(), QStringLiteral("吐いて"));
        // The guide says what it is; the breath is said by itself as it turns.
        QCOMPARE(SpokenName(w.ring()), QStringLiteral("呼吸のガイド"));
        QCOMPARE(w.figureLabel(0)->text(), QStringLiteral("節約できた金額　46732円"));
        QCOMPARE(SpokenName(w.figureLabel(1)), QStringLiteral("延びた寿命　６日と３時間４３分"));
    }

    // What a screen reader is told: the countdown's text changes on the whole
    // minutes only (and says the second it is at when the keyboard comes to
    // it), the breath in its word alone while the guide has the keyboard,
    // and the end of the five minutes wherever the keyboard is.
    void theHelperIsHeardOnlyWhenItHasSomethingToSay() {
        CravingWindow w;
        w.show();
        w.animationTimer()->stop();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.button("closeButton")->setFocus();
        const int revision = SpokenRevision(w.countdownLabel());
        for (qint64 ms = 0; ms <= 59'000; ms += 1000) w.renderAt(ms);
        QCOMPARE(SpokenRevision(w.countdownLabel()), revision);
        QCOMPARE(SpokenName(w.countdownLabel()), QStringLiteral("あと５分"));
        w.renderAt(60'000);
        QCOMPARE(SpokenName(w.countdownLabel()), QStringLiteral("あと４分"));
        QVERIFY(SpokenRevision(w.countdownLabel()) > revision);
        w.renderAt(87'000);
        QCOMPARE(SpokenName(w.countdownLabel()), QStringLiteral("あと４分"));
        w.countdownLabel()->setFocus(Qt::TabFocusReason);
        QCOMPARE(SpokenName(w.countdownLabel()), QStringLiteral("あと３分３３秒"));

        // The breath: nothing while the keyboard is elsewhere, its word as
        // it turns while on the guide.
        w.renderAt(90'000);
        QCOMPARE(LastAnnouncement(&w), QString());
        w.ring()->setFocus(Qt::TabFocusReason);
        w.renderAt(94'000);
        QCOMPARE(LastAnnouncement(&w), QStringLiteral("吐いて"));
        w.renderAt(100'000);
        QCOMPARE(LastAnnouncement(&w), QStringLiteral("吸って"));
        QCOMPARE(SpokenName(w.ring()), QStringLiteral("呼吸のガイド"));

        // The end, with the keyboard on a button.
        w.button("slipButton")->setFocus(Qt::TabFocusReason);
        w.renderAt(300'000);
        QCOMPARE(LastAnnouncement(&w), QString::fromUtf8(kCravingFinished));
        QVERIFY(w.isOver());
    }

    // Asked for less motion, the disc takes two sizes, full while breathing
    // in and small while out, and the picture wakes once a second.
    void lessMotionStepsWithTheBreath() {
        CravingWindow w;
        w.setLessMotion(true);
        QCOMPARE(w.animationTimer()->interval(), int(CravingWindow::kSteppedFrameMs));
        for (const qint64 ms : {0, 1000, 3999, 4000, 9999, 10'000, 87'000}) {
            w.renderAt(ms);
            QCOMPARE(w.ring()->breathPermille(), CravingAt(ms).breath == Breath::In ? 1000 : 0);
            QCOMPARE(w.ring()->word(), QString::fromStdString(CravingAt(ms).breathWord));
        }
        w.setLessMotion(false);
        w.renderAt(1000);
        QCOMPARE(w.ring()->breathPermille(), CravingAt(1000).breathSize);
    }

    // A helper that is over starts again from the beginning; one answered
    // before the end does not announce the end.
    void aFinishedHelperStartsAfresh() {
        CravingWindow w;
        QSignalSpy passes(&w, &CravingWindow::urgePassed);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(!w.isOver());
        w.button("urgePassedButton")->click();
        w.showOutcome(QString::fromUtf8(kUrgePassedWords));
        QVERIFY(w.isOver());
        w.renderAt(300'000);
        QCOMPARE(LastAnnouncement(&w), QString());

        w.startAfresh();
        QVERIFY(!w.isOver());
        QCOMPARE(w.countdownLabel()->text(), QStringLiteral("あと５分"));
        QVERIFY(w.animationTimer()->isActive());
        QVERIFY(w.button("urgePassedButton")->isVisible() && w.button("urgePassedButton")->isEnabled());
        QVERIFY(w.button("slipButton")->isEnabled());
        QVERIFY(!w.messageLabel()->isVisible());
        QCOMPARE(w.focusWidget(), static_cast<QWidget*>(w.ring()));
        w.button("urgePassedButton")->click();
        QCOMPARE(passes.size(), 2);
    }

    void theRecordShowsItsLinesAndItsChartInWords() {
        RecordWindow w;
        const RecordView view = SampleRecord();
        w.render(view);
        QCOMPARE(w.lineCount(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(w.line(i)->text(), QString::fromStdString(view.lines[i].value));
            QCOMPARE(SpokenName(w.line(i)),
                     QString::fromStdString(view.lines[i].heading + "　" + view.lines[i].value));
        }
        QCOMPARE(w.chart()->counts(), view.counts);
        QCOMPARE(SpokenName(w.chart()), QString::fromStdString(view.chartHeading + "　" + view.chartWords));
        w.show();
        QVERIFY(w.noteLabel()->isVisible());
        w.render(MakeRecordView(SummariseAttempts({}, kQuit, kNow), RecordKeeping::ForGood));
        QVERIFY(!w.noteLabel()->isVisible());
        QCOMPARE(w.line(0)->text(), QStringLiteral("０回"));
    }

    void theHealthStepsTheBarAndTheSource() {
        HealthWindow w;
        const HealthTimeline t = ComputeHealthTimeline(kQuit, kNow);
        w.render(t);
        w.show();
        QCOMPARE(w.stepCount(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(SpokenName(w.stepLabel(i)), QString::fromStdString(t.steps[i].spoken));
        QCOMPARE(w.summaryLabel()->text(), QString::fromStdString(t.summary));
        QCOMPARE(w.sourceLabel()->text(), QStringLiteral("出典: 厚生労働省 e-ヘルスネット「禁煙の効果」"));
        // The bar stands under the next step (one year) and shows its share.
        QVERIFY(w.nextBar()->isVisible());
        QCOMPARE(w.nextBar()->value(), t.steps[6].permille);
        QVERIFY(std::abs(w.nextBar()->y() - (w.stepLabel(6)->geometry().bottom())) < 20);
        // A later refresh moves it on; with every step reached it goes.
        w.render(ComputeHealthTimeline(kQuit, {2036, 9, 21, 7, 45}));
        QVERIFY(!w.nextBar()->isVisible());
        QCOMPARE(w.stepLabel(9)->text().section(QLatin1Char('\n'), 1),
                 QStringLiteral("２０３６年９月２１日７時４５分に到達"));
    }

    // The record's hard moments: the triggers most frequent first and the
    // hours, each heard in words with its heading.
    void theRecordToldTheHardMomentsInWords() {
        RecordWindow w;
        const HardMoments h = SampleHardMoments();
        w.showHardMoments(h);
        w.show();
        QCOMPARE(w.triggersLabel()->text(), QString::fromStdString(h.triggerWords));
        QVERIFY(w.triggersLabel()->text().indexOf(QStringLiteral("食後")) <
                w.triggersLabel()->text().indexOf(QStringLiteral("人が吸っているとき")));
        QCOMPARE(SpokenName(w.triggersLabel()), QString::fromStdString(h.triggersHeading) +
                                                    QStringLiteral("　") + w.triggersLabel()->text());
        QCOMPARE(SpokenName(w.hourStrip()), QString::fromStdString(h.hoursHeading) + QStringLiteral("　") +
                                                QString::fromStdString(h.hourWords));
        QCOMPARE(w.hourStrip()->counts()[23], 4);
        QCOMPARE(w.hourStrip()->counts()[0], 1);
    }

    // The helper's plan: a reason that turns, a chip that picks and takes
    // back, and the plan for the one picked, heard as it shows.
    void theHelperShowsAReasonAndThePlanForThePickedTrigger() {
        std::unique_ptr<SideWindow> made = Make(QStringLiteral("cravingWindowWithPlan"));
        auto* w = static_cast<CravingWindow*>(made.get());
        QSignalSpy picked(w, &CravingWindow::triggerPicked);
        w->show();
        PlanInCraving* part = w->planPart();
        QCOMPARE(part->reasonLabel()->text(), QStringLiteral("やめる理由：家族のため"));
        part->showReasonAt(kReasonTurnMs * 3);
        QCOMPARE(part->reasonLabel()->text(), QStringLiteral("やめる理由：走れるように"));
        QCOMPARE(SpokenName(part->reasonLabel()), part->reasonLabel()->text());
        QVERIFY(!part->planLabel()->isVisible());
        part->chip(1)->setFocus();
        QTest::keyClick(part->chip(1), Qt::Key_Space);
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked.last().first().toString(), QStringLiteral("人が吸っているとき"));
        QVERIFY(part->planLabel()->isVisible());
        QCOMPARE(SpokenName(part->planLabel()), QStringLiteral("人が吸っているときに → 席を外す"));
        part->chip(1)->click();
        QCOMPARE(picked.last().first().toString(), QString());
        QVERIFY(!part->planLabel()->isVisible());
        QVERIFY(SpokenName(part->chip(0)).endsWith(QStringLiteral("食後")));
    }

    void theKeyboardReachesEveryControl_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("stops");
        QTest::addRow("craving") << "cravingWindow"
                                 << QStringList{"breathingRing", "countdownLabel", "moneyFigure",
                                                "lifeFigure",    "unsmokedFigure", "urgePassedButton",
                                                "slipButton",    "closeButton"};
        QTest::addRow("craving with a plan")
            << "cravingWindowWithPlan"
            << QStringList{"breathingRing",  "countdownLabel",   "moneyFigure",  "lifeFigure",
                           "unsmokedFigure", "reasonLabel",      "triggerChip0", "triggerChip1",
                           "triggerChip2",   "urgePassedButton", "slipButton",   "closeButton"};
        QTest::addRow("record") << "recordWindow"
                                << QStringList{"recordValue0",  "recordValue1",  "recordValue2",
                                               "recordValue3",  "recordValue4",  "urgeChart",
                                               "hourStrip",     "triggersLabel", "noteLabel",
                                               "cravingButton", "closeButton"};
        QStringList health{"summaryLabel"};
        // The bar toward the next step (a year) right after that step.
        for (int i = 0; i < 10; ++i) {
            health << QStringLiteral("healthStep%1").arg(i);
            if (i == 6) health << "nextStepBar";
        }
        health << "sourceLabel"
               << "closeButton";
        QTest::addRow("health") << "healthWindow" << health;
    }
    void theKeyboardReachesEveryControl() {
        QFETCH(QString, window);
        QFETCH(QStringList, stops);
        std::unique_ptr<SideWindow> w = Make(window);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QStringList reached;
        for (QWidget* stop : TabRound(w.get())) reached << stop->objectName();
        QCOMPARE(reached, stops);
        // Enter presses the focused button, Escape closes.
        auto* closeButton = w->findChild<QPushButton*>(QStringLiteral("closeButton"));
        closeButton->setFocus();
        QSignalSpy closed(w.get(), &DialogWindow::closed);
        QTest::keyClick(closeButton, Qt::Key_Return);
        QCOMPARE(closed.size(), 1);
        w->show();
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(closed.size(), 2);
        w.release()->deleteLater();  // closed windows delete themselves
    }

    // On a 1366 x 768 screen at scale 1, 1.5 and 2 (in the windows' own
    // pixels), with a title bar: wholly on it and nothing squeezed, also
    // once the craving helper shows its longest words.
    void eachWindowFitsASmallScreen_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QRect>("area");
        const QString scales[] = {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};
        const QRect areas[] = {QRect(0, 0, 1366, 768), QRect(0, 0, 911, 512), QRect(0, 0, 683, 384)};
        for (const char* name : {"cravingWindow", "cravingWindowWithPlan", "recordWindow", "healthWindow"})
            for (int i = 0; i < 3; ++i)
                QTest::newRow(
                    qPrintable(QStringLiteral("%1 at scale %2").arg(QLatin1String(name), scales[i])))
                    << QString::fromLatin1(name) << areas[i];
    }
    void eachWindowFitsASmallScreen() {
        QFETCH(QString, window);
        QFETCH(QRect, area);
        const QMargins frame(1, 25, 1, 1);
        std::unique_ptr<SideWindow> w = Make(window);
        if (auto* craving = qobject_cast<CravingWindow*>(w.get()))
            craving->showOutcome(QString::fromUtf8(kSlipWords));
        w->move(area.right() - 40, area.bottom() - 40);
        w->fitInto(area, frame);
        QVERIFY(area.contains(QRect(w->pos(), w->size().grownBy(frame))));
        QVERIFY(w->width() >= w->minimumSizeHint().width());
        QVERIFY(w->height() >= w->minimumSizeHint().height());
    }

    // The same on the screen itself: the test runs again at scale 1.5 and 2.
    void eachWindowComesUpOnTheScreen_data() {
        QTest::addColumn<QString>("window");
        for (const char* name : {"cravingWindow", "recordWindow", "healthWindow"})
            QTest::addRow("%s", name) << QString::fromLatin1(name);
    }
    void eachWindowComesUpOnTheScreen() {
        QFETCH(QString, window);
        std::unique_ptr<SideWindow> w = Make(window);
        w->show();
        const QRect area = AvailableArea(w.get());
        QVERIFY(area.isValid());
        QVERIFY(area.contains(QRect(w->pos(), w->size().grownBy(FrameOrAssumed(w.get())))));
        QVERIFY(w->width() >= w->minimumSizeHint().width());
        QVERIFY(w->height() >= w->minimumSizeHint().height());
    }
};

QTEST_MAIN(SideWindowsTest)
#include "side_windows_qtest.moc"

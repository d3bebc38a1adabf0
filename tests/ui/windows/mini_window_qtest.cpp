#include <QAccessible>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "desktop/twips.h"
#include "dialogs/settings_dialog.h"
#include "display/copy_texts.h"
#include "support/session_fixture.h"
#include "support/tick.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"
#include "windows/tray_icon.h"
#include "windows/widgets.h"

using namespace kemless;

class MiniWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SessionFixture> fx;

    Session& startWith(OptionSettings o) {
        fx->writeStarted(SampleInitial(), o);
        return fx->start();
    }
    QAction* miniAction(const char* name) {
        return fx->session->miniWindow()->popupMenu()->findChild<QAction*>(QString::fromLatin1(name));
    }

private slots:
    void init() { fx = std::make_unique<SessionFixture>(); }
    void cleanup() { fx.reset(); }

    void firstOpeningTakesTheMainWindowsPlaceAndIsRemembered() {
        OptionSettings o;
        o.miniLeft = 300;
        o.miniTop = 300;
        Session& s = startWith(o);
        s.mainWindow()->move(120, 90);
        s.mainWindow()->popupMenu()->findChild<QAction*>(QStringLiteral("miniSizeAction"))->trigger();
        MiniWindow* mini = s.miniWindow();
        QVERIFY(mini->isVisible());
        QVERIFY(!s.mainWindow()->isVisible());
        QCOMPARE(mini->pos(), QPoint(120, 90));
        QCOMPARE(s.options().windowMode, 1);
        QCOMPARE(mini->windowTitle(), QStringLiteral(" ケムレス mini mode"));

        // Later openings keep the mini window's own place.
        mini->move(400, 50);
        miniAction("standardSizeAction")->trigger();
        QVERIFY(s.mainWindow()->isVisible());
        QCOMPARE(s.options().windowMode, 0);
        s.mainWindow()->popupMenu()->findChild<QAction*>(QStringLiteral("miniSizeAction"))->trigger();
        QCOMPARE(mini->pos(), QPoint(400, 50));

        // The restart opens the window last used.
        QVERIFY(mini->close());
        fx->stop();
        const auto saved = fx->store().readOption();
        QCOMPARE(saved->windowMode, 1);
        QCOMPARE(saved->miniLeft, 400 * 15);
        Session& again = fx->start();
        QVERIFY(again.miniWindow()->isVisible());
        QVERIFY(again.mainWindow() && !again.mainWindow()->isVisible());
        QCOMPARE(again.miniWindow()->pos(), QPoint(400, 50));
        again.miniWindow()->popupMenu()->findChild<QAction*>(QStringLiteral("standardSizeAction"))->trigger();
        QVERIFY(again.mainWindow()->close());
        fx->stop();
        Session& third = fx->start();
        QVERIFY(third.mainWindow()->isVisible());
        QVERIFY(!third.miniWindow()->isVisible());
    }

    void menuOrderDiffersFromTheMainWindow() {
        OptionSettings o;
        o.windowMode = 1;
        Session& s = startWith(o);
        QStringList names;
        for (QAction* a : s.miniWindow()->popupMenu()->actions()) names << a->objectName();
        QCOMPARE(names, (QStringList{"copySummaryAction", "copyShortAction", "openLinkAction", "helpAction",
                                     "settingsAction", "versionAction", "standardSizeAction", "exitAction",
                                     "hideToTrayAction"}));
        QCOMPARE(miniAction("standardSizeAction")->text(), QStringLiteral("標準サイズで運転する"));
    }

    // However the window comes up, the keyboard lands on the summary, so a
    // screen reader reads the six lines: at start and from the main
    // window's menu alike.
    void theSummaryTakesTheKeyboardWhenTheWindowComesUp() {
        for (const bool fromTheMenu : {false, true}) {
            OptionSettings o;
            o.windowMode = fromTheMenu ? 0 : 1;
            Session& s = startWith(o);
            if (fromTheMenu) {
                s.mainWindow()->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(s.mainWindow()));
                s.mainWindow()->popupMenu()->findChild<QAction*>(QStringLiteral("miniSizeAction"))->trigger();
            }
            MiniWindow* mini = s.miniWindow();
            mini->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(mini));
            QCOMPARE(QApplication::focusWidget(), mini->summaryLabel());
            fx = std::make_unique<SessionFixture>();
        }
    }

    void rightButtonOnLabelOrMarginOpensTheMenu() {
        OptionSettings o;
        o.windowMode = 1;
        MiniWindow* mini = startWith(o).miniWindow();
        QTest::mousePress(mini->summaryLabel(), Qt::RightButton, {}, QPoint(10, 10));
        QVERIFY(mini->popupMenu()->isVisible());
        mini->popupMenu()->hide();
        QTest::mousePress(mini, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!mini->popupMenu()->isVisible());
        QTest::mousePress(mini, Qt::RightButton, {}, QPoint(2, 2));
        QVERIFY(mini->popupMenu()->isVisible());
        mini->popupMenu()->hide();
    }

    void menuKeyOpensTheMenu() {
        OptionSettings o;
        o.windowMode = 1;
        MiniWindow* mini = startWith(o).miniWindow();
        QVERIFY(mini->focusPolicy() & Qt::TabFocus);
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(mini, &menuKey);
        QVERIFY(mini->popupMenu()->isVisible());
        mini->popupMenu()->hide();
        QTest::keyClick(mini, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(mini->popupMenu()->isVisible());
        mini->popupMenu()->hide();
        // From the summary, where the keyboard rests, as well.
        mini->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mini));
        mini->setFocus(Qt::ActiveWindowFocusReason);
        QCOMPARE(QApplication::focusWidget(), mini->summaryLabel());
        QApplication::sendEvent(mini->summaryLabel(), &menuKey);
        QVERIFY(mini->popupMenu()->isVisible());
        mini->popupMenu()->hide();
        QTest::keyClick(mini->summaryLabel(), Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(mini->popupMenu()->isVisible());
        mini->popupMenu()->hide();
    }

    void doubleClickOnTheLabelHidesToTheTray() {
        OptionSettings o;
        o.windowMode = 1;
        Session& s = startWith(o);
        QTest::mouseDClick(s.miniWindow()->summaryLabel(), Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!s.miniWindow()->isVisible());
        QVERIFY(s.miniTray()->isShown());
        QVERIFY(!s.mainTray()->isShown());
        emit s.miniTray()->restoreRequested();
        QVERIFY(s.miniWindow()->isVisible());
        QVERIFY(!s.miniTray()->isShown());
    }

    void labelShowsTheSummaryAndCopiesMatchTheMainWindow() {
        OptionSettings o;
        o.windowMode = 1;
        o.copyPlusMode = 1;
        Session& s = startWith(o);
        const QString summary = QString::fromStdString(SummaryText(s.display(), s.initial(), s.options()));
        QCOMPARE(s.miniWindow()->text(), summary);
        QCOMPARE(s.miniWindow()->summaryLabel()->text().count(QLatin1Char('\n')), 5);
        // A screen reader hears the six lines after what they are.
        QCOMPARE(s.miniWindow()->summaryLabel()->accessibleName(),
                 QStringLiteral("卒煙の記録　") + s.miniWindow()->summaryLabel()->text());
        QCOMPARE(QAccessible::queryAccessibleInterface(s.miniWindow())->text(QAccessible::Name),
                 QStringLiteral("ケムレス　ミニサイズ"));

        miniAction("copySummaryAction")->trigger();
        const QString fromMini = fx->desktop.clipboard;
        s.mainWindow()->button("copySummaryButton")->click();
        QCOMPARE(fromMini, fx->desktop.clipboard);
        QCOMPARE(fromMini, summary);
        miniAction("copyShortAction")->trigger();
        const QString shortFromMini = fx->desktop.clipboard;
        s.mainWindow()->button("copyShortButton")->click();
        QCOMPARE(shortFromMini, fx->desktop.clipboard);
    }

    void refreshWritesTheLabelWhileHiddenAndAfterAToggle() {
        OptionSettings o;
        Session& s = startWith(o);  // mini loaded hidden
        fx->clock.moment = {2026, 12, 10, 12, 30};
        QVERIFY(Tick(s));
        QVERIFY(s.miniWindow()->text().contains(QStringLiteral("卒煙からの日数： 0年 1ヶ月 9日 3時間 30分")));
        QTest::mouseClick(s.mainWindow()->valueLabel(kElapsedLabel), Qt::LeftButton);
        QVERIFY(Tick(s));
        // The refresh reads the toggle before resetting it.
        QVERIFY(s.miniWindow()->text().contains(QStringLiteral("卒煙からの日数： 39日 3時間 30分")));
        QVERIFY(s.miniWindow()->summaryLabel()->accessibleName().contains(
            QStringLiteral("卒煙からの日数： 39日 3時間 30分")));
        s.mainWindow()->button("copySummaryButton")->click();
        QVERIFY(fx->desktop.clipboard.contains(QStringLiteral("卒煙からの日数： 0年 1ヶ月 9日 3時間 30分")));
    }

    void windowFitsTheWidestLine() {
        OptionSettings o;
        o.windowMode = 1;
        MiniWindow* mini = startWith(o).miniWindow();
        const QFontMetrics fm(mini->summaryLabel()->font());
        const QString longest = QStringLiteral("節煙本数： 9999999本 99999.99ｍ Hiltonレインボータワー壁画");
        QVERIFY(mini->summaryLabel()->width() >= fm.horizontalAdvance(longest));
        QVERIFY(mini->summaryLabel()->height() >= fm.lineSpacing() * 6);
        QVERIFY(mini->summaryLabel()->geometry().right() < mini->width());
    }

    void closingTheMiniWindowStoresBothPositions() {
        OptionSettings o;
        o.windowMode = 1;
        Session& s = startWith(o);
        s.mainWindow()->move(30, 40);
        s.miniWindow()->move(70, 80);
        QVERIFY(s.miniWindow()->close());
        fx->settle();
        QVERIFY(!s.mainWindow() && !s.miniWindow());
        const auto saved = fx->store().readOption();
        QCOMPARE(saved->mainLeft, 450);
        QCOMPARE(saved->mainTop, 600);
        QCOMPARE(saved->miniLeft, 1050);
        QCOMPARE(saved->miniTop, 1200);
        QCOMPARE(saved->windowMode, 1);
    }

    void settingsFromTheMiniWindowComeBackToIt() {
        OptionSettings o;
        o.windowMode = 1;
        Session& s = startWith(o);
        s.miniWindow()->move(90, 45);
        miniAction("settingsAction")->trigger();
        QTest::qWait(0);
        fx->settle();
        QVERIFY(!s.miniWindow());
        QCOMPARE(fx->store().readOption()->miniLeft, 1350);
        QWidget* dialog = fx->window("settingsDialog");
        QVERIFY(dialog);
        qobject_cast<SettingsDialog*>(dialog)->save();
        QTest::qWait(0);
        fx->settle();
        QVERIFY(s.miniWindow() && s.miniWindow()->isVisible());
        QCOMPARE(s.miniWindow()->pos(), QPoint(90, 45));
        QVERIFY(s.mainWindow() && !s.mainWindow()->isVisible());
    }
};

QTEST_MAIN(MiniWindowTest)
#include "mini_window_qtest.moc"

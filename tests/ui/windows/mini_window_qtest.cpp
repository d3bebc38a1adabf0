// The mini window alone: its menu, mouse and keys, and its size for the
// widest summary it can show. No session: the window shows the text it is
// given and says what the user asked for.
#include <QAccessible>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "desktop/accessibility.h"
#include "display/refresh.h"
#include "support/records.h"
#include "windows/mini_window.h"
#include "windows/widgets.h"

using namespace kemless;

namespace {

// The mini window showing the summary of a refresh, on the screen.
struct ShownMini {
    MiniWindow window;
    ShownMini() {
        DisplayState display;
        OptionSettings options;
        RefreshDisplay(display, SampleInitial(), options, {2026, 12, 10, 12, 0}, 50);
        window.setText(QString::fromStdString(display.miniText));
        window.show();
    }
};

}  // namespace

class MiniWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menuOrderDiffersFromTheMainWindow() {
        ShownMini shown;
        MiniWindow* mini = &shown.window;
        QStringList names;
        for (QAction* a : mini->popupMenu()->actions()) names << a->objectName();
        // Hiding in the notification area directly after the window's own
        // items; the windows beside the display last, past a separator.
        QCOMPARE(names, (QStringList{"copySummaryAction", "copyShortAction", "openLinkAction", "helpAction",
                                     "settingsAction", "versionAction", "standardSizeAction", "exitAction",
                                     "hideToTrayAction", "", "cravingAction", "recordAction", "healthAction",
                                     "planAction"}));
        QVERIFY(mini->popupMenu()->actions().at(9)->isSeparator());
        QCOMPARE(mini->popupMenu()->findChild<QAction*>(QStringLiteral("standardSizeAction"))->text(),
                 QStringLiteral("標準サイズで運転する"));
        QCOMPARE(mini->windowTitle(), QStringLiteral(" ケムレス mini mode"));
        // A screen reader hears first what the window is.
        QCOMPARE(QAccessible::queryAccessibleInterface(mini)->text(QAccessible::Name),
                 QStringLiteral("ケムレス　ミニサイズ"));
    }

    void rightButtonOnLabelOrMarginOpensTheMenu() {
        ShownMini shown;
        MiniWindow* mini = &shown.window;
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
        ShownMini shown;
        MiniWindow* mini = &shown.window;
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

    void aDoubleClickOnTheLabelAsksToHide() {
        ShownMini shown;
        QSignalSpy hide(&shown.window, &DisplayWindow::hideRequested);
        QTest::mouseDClick(shown.window.summaryLabel(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(hide.size(), 1);
        // The menu's last item, the keyboard's way, asks the same.
        shown.window.popupMenu()->findChild<QAction*>(QStringLiteral("hideToTrayAction"))->trigger();
        QCOMPARE(hide.size(), 2);
    }

    // A refresh is heard by the lines it changed, while the summary has the
    // keyboard; coming to it the screen reader reads all six.
    void aRefreshSaysOnlyTheLinesThatChanged() {
        ShownMini shown;
        MiniWindow* mini = &shown.window;
        mini->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mini));
        QVERIFY(mini->summaryLabel()->hasFocus());
        const QStringList lines = mini->text().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6);
        const int revision = SpokenRevision(mini->summaryLabel());

        QStringList next = lines;
        next[2] = QStringLiteral("卒煙からの日数： 0年 1ヶ月 9日 3時間 1分");
        mini->setText(next.join(QStringLiteral("\r\n")));
        QCOMPARE(LastAnnouncement(mini), next[2]);
        // The summary's own name follows without being said again.
        QCOMPARE(SpokenRevision(mini->summaryLabel()), revision);
        QCOMPARE(QAccessible::queryAccessibleInterface(mini->summaryLabel())->text(QAccessible::Name),
                 QStringLiteral("卒煙の記録　") + next.join(QLatin1Char('\n')));

        next[0] = QStringLiteral("ステータス： 少将");
        next[2] = QStringLiteral("卒煙からの日数： 0年 1ヶ月 9日 3時間 2分");
        mini->setText(next.join(QStringLiteral("\r\n")));
        QCOMPARE(LastAnnouncement(mini), next[0] + QLatin1Char('\n') + next[2]);
        // The same text again says nothing; nor does a change while the
        // keyboard is elsewhere.
        mini->setText(next.join(QStringLiteral("\r\n")));
        QCOMPARE(LastAnnouncement(mini), next[0] + QLatin1Char('\n') + next[2]);
        mini->summaryLabel()->clearFocus();
        next[2] = QStringLiteral("卒煙からの日数： 0年 1ヶ月 9日 3時間 3分");
        mini->setText(next.join(QStringLiteral("\r\n")));
        QCOMPARE(LastAnnouncement(mini),
                 next[0] + QLatin1Char('\n') + QStringLiteral("卒煙からの日数： 0年 1ヶ月 9日 3時間 2分"));
    }

    void windowFitsTheWidestLine() {
        ShownMini shown;
        MiniWindow* mini = &shown.window;
        const QFontMetrics fm(mini->summaryLabel()->font());
        const QString longest = QStringLiteral("節煙本数： 9999999本 99999.99ｍ Hiltonレインボータワー壁画");
        QVERIFY(mini->summaryLabel()->width() >= fm.horizontalAdvance(longest));
        QVERIFY(mini->summaryLabel()->height() >= fm.lineSpacing() * 6);
        QVERIFY(mini->summaryLabel()->geometry().right() < mini->width());
    }
};

QTEST_MAIN(MiniWindowTest)
#include "mini_window_qtest.moc"

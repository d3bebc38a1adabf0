// The display windows in the running program: which one a start opens, what
// their buttons and menus do, the refresh timer, the switch between the two,
// where a start places them and how closing them writes their places.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "basics/text.h"
#include "content/about.h"
#include "desktop/accessibility.h"
#include "desktop/focus_ring.h"
#include "desktop/placement.h"
#include "desktop/twips.h"
#include "dialogs/settings_dialog.h"
#include "display/copy_texts.h"
#include "support/fake_opener.h"
#include "support/session_fixture.h"
#include "support/tick.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"
#include "windows/tray_icon.h"
#include "windows/widgets.h"

using namespace kemless;

namespace {

QString LaunchFailed(const char* address) { return QString::fromStdString(PageNotOpenedText(address)); }

QAction* MenuItem(DisplayWindow* w, const char* name) {
    return w->popupMenu()->findChild<QAction*>(QString::fromLatin1(name));
}

}  // namespace

class DisplayWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SessionFixture> fx;
    // A point on the grey background, away from every control.
    const QPoint background{200, 10};

    Session& startWith(OptionSettings o) {
        fx->writeStarted(SampleInitial(), o);
        return fx->start();
    }
    QAction* miniAction(const char* name) { return MenuItem(fx->session->miniWindow(), name); }
    MainWindow* startMain(OptionSettings options = {}) {
        fx->writeStarted(SampleInitial(), options);
        Session& s = fx->start();
        return s.mainWindow();
    }

private slots:
    // The focus ring is drawn for the whole application, as the program sets it.
    void initTestCase() { ShowFocusRings(); }
    void init() { fx = std::make_unique<SessionFixture>(); }
    void cleanup() { fx.reset(); }

    void startedQuitOpensTheMainWindowWithEveryLine() {
        MainWindow* w = startMain();
        QVERIFY(w && w->isVisible());
        QVERIFY(fx->session->miniWindow() && !fx->session->miniWindow()->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral(" ケムレス - lunapo"));
        QCOMPARE(w->size(), QSize(375, 222));
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("０年１ヶ月９日３時間０分"));
        QCOMPARE(w->caption(kStatusLabel), QStringLiteral("大将"));
        QVERIFY(!w->caption(kMessageLabel).isEmpty());
        QCOMPARE(fx->session->refreshTimer()->interval(), 30000);
        QVERIFY(fx->session->refreshTimer()->isActive());
    }

    void doubleClickHidesToTrayAndAClickOnTheIconRestores() {
        MainWindow* w = startMain();
        QTest::mouseDClick(w->valueLabel(kMoneyLabel), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(w->isVisible());
        QTest::mouseDClick(w, Qt::LeftButton, {}, background);
        QVERIFY(!w->isVisible());
        QVERIFY(w->trayIcon()->isShown());
        QCOMPARE(w->trayIcon()->toolTip(), QStringLiteral("ケムレス"));
        QVERIFY(fx->session->refreshTimer()->isActive());
        emit w->trayIcon()->restoreRequested();
        QVERIFY(w->isVisible());
        QVERIFY(!w->trayIcon()->isShown());
    }

    void withoutANotificationAreaTheWindowIsMinimised() {
        fx->desktop.tray = false;
        MainWindow* w = startMain();
        QTest::mouseDClick(w, Qt::LeftButton, {}, background);
        QVERIFY(w->isVisible());
        QVERIFY(w->windowState() & Qt::WindowMinimized);
        QVERIFY(!w->trayIcon()->isShown());
    }

    // The menu's "タスクトレイに入れる" does what the double-click does, with
    // the same way back, and the same fallback without a notification area.
    void theMenuHidesTheWindowInTheNotificationArea_data() {
        QTest::addColumn<bool>("tray");
        QTest::addRow("with a notification area") << true;
        QTest::addRow("without one") << false;
    }
    void theMenuHidesTheWindowInTheNotificationArea() {
        QFETCH(bool, tray);
        fx->desktop.tray = tray;
        MainWindow* w = startMain();
        MenuItem(w, "hideToTrayAction")->trigger();
        QCOMPARE(w->isVisible(), !tray);
        QCOMPARE(w->trayIcon()->isShown(), tray);
        QCOMPARE(bool(w->windowState() & Qt::WindowMinimized), !tray);
        // Going to the notification area is said: the window is gone from
        // under the keyboard.
        QCOMPARE(LastAnnouncement(w), tray ? QStringLiteral("タスクトレイに入れました") : QString());
        if (tray) {
            emit w->trayIcon()->restoreRequested();
            QVERIFY(w->isVisible());
        }
    }

    // Coming back from the notification area or from the mini window, the
    // keyboard is where the user left it.
    void theKeyboardComesBackWhereItWas_data() {
        QTest::addColumn<QString>("away");
        QTest::addRow("notification area") << "hideToTrayAction";
        QTest::addRow("mini window") << "miniSizeAction";
    }
    void theKeyboardComesBackWhereItWas() {
        QFETCH(QString, away);
        fx->desktop.tray = true;
        MainWindow* w = startMain();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QWidget* left = w->button("copyShortButton");
        left->setFocus(Qt::TabFocusReason);
        MenuItem(w, away.toLatin1().constData())->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!w->isVisible());
        if (away == QLatin1String("hideToTrayAction")) {
            emit w->trayIcon()->restoreRequested();
        } else {
            MiniWindow* mini = fx->session->miniWindow();
            QVERIFY(mini && mini->isVisible());
            mini->popupMenu()->findChild<QAction*>(QStringLiteral("standardSizeAction"))->trigger();
        }
        QVERIFY(w->isVisible());
        // The control the window gives the keyboard as it becomes active.
        QCOMPARE(w->focusWidget(), left);
    }

    void elapsedToggleUntilTheNextTick() {
        MainWindow* w = startMain();
        QTest::mouseClick(w->valueLabel(kElapsedLabel), Qt::LeftButton);
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("３９日３時間０分"));
        QTest::mouseClick(w->valueLabel(kLifeLabel), Qt::LeftButton);
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("３９日３時間０分"));
        // The copy texts follow the toggle until the refresh.
        w->button("copyShortButton")->click();
        QVERIFY(fx->desktop.clipboard.contains(QStringLiteral("３９日３時間０分経過しました。")));
        QVERIFY(Tick(*fx->session));
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("０年１ヶ月９日３時間０分"));
        QTest::mouseClick(w->valueLabel(kElapsedLabel), Qt::LeftButton);
        QTest::mouseClick(w->valueLabel(kElapsedLabel), Qt::LeftButton);
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("０年１ヶ月９日３時間０分"));
    }

    void copyButtonsAndMenuItemsShareTheirAction() {
        MainWindow* w = startMain();
        const Session& s = *fx->session;
        w->button("copySummaryButton")->click();
        const QString summary =
            QString::fromStdString(SummaryText(s.display(), fx->session->initial(), fx->session->options()));
        QCOMPARE(fx->desktop.clipboard, summary);
        QCOMPARE(summary.count(QStringLiteral("\r\n")), 5);
        fx->desktop.clipboard.clear();
        w->popupMenu()->actions().at(0)->trigger();
        QCOMPARE(fx->desktop.clipboard, summary);
        w->popupMenu()->actions().at(1)->trigger();
        QVERIFY(fx->desktop.clipboard.startsWith(QStringLiteral("２０２６年１１月１日に卒煙。")));
        QVERIFY(fx->desktop.messages.isEmpty());
    }

    // A copy says what it did: shown for a moment, and to a screen reader
    // wherever the keyboard is; a failed one says only that it failed.
    void aCopySaysSo_data() {
        QTest::addColumn<bool>("works");
        QTest::addRow("copied") << true;
        QTest::addRow("the clipboard refuses") << false;
    }
    void aCopySaysSo() {
        QFETCH(bool, works);
        MainWindow* w = startMain();
        fx->desktop.clipboardWorks = works;
        w->button("copyShortButton")->click();
        QCOMPARE(LastAnnouncement(w), works ? QStringLiteral("コピーしました") : QString());
        QCOMPARE(w->copiedLabel() != nullptr && w->copiedLabel()->isVisible(), works);
        QCOMPARE(fx->desktop.messages.size(), works ? 0 : 1);
        if (!works) return;
        QCOMPARE(w->copiedLabel()->text(), QStringLiteral("コピーしました"));
        QVERIFY(w->rect().contains(w->copiedLabel()->geometry()));
        // For a moment only.
        QTRY_VERIFY_WITH_TIMEOUT(!w->copiedLabel()->isVisible(), 4000);
    }

    void aClipboardThatCannotBeWrittenIsReported() {
        MainWindow* w = startMain();
        fx->desktop.clipboard = QStringLiteral("before");
        fx->desktop.clipboardWorks = false;
        w->button("copySummaryButton")->click();
        QCOMPARE(fx->desktop.clipboard, QStringLiteral("before"));
        QCOMPARE(fx->desktop.messages.size(), 1);
    }

    void linkButtonOpensTheUsersPage() {
        OptionSettings o;
        o.linkUrl = "my.blog.jp/diary";
        MainWindow* w = startMain(o);
        w->button("openLinkButton")->click();
        QCOMPARE(fx->desktop.opened, QList<QUrl>{QUrl(QStringLiteral("http://my.blog.jp/diary"))});
        fx->desktop.launchWorks = false;
        w->popupMenu()->actions().at(2)->trigger();
        QCOMPARE(fx->desktop.messages, QStringList{LaunchFailed("http://my.blog.jp/diary")});
    }

    void emptyLinkIsAFailedLaunch() {
        OptionSettings o;
        o.linkUrl = "";
        MainWindow* w = startMain(o);
        w->button("openLinkButton")->click();
        QCOMPARE(fx->desktop.messages.size(), 1);
    }

    void versionBox() {
        MainWindow* w = startMain();
        MenuItem(w, "versionAction")->trigger();
        QCOMPARE(fx->desktop.messages.size(), 1);
        // The version of the build, in full-width digits.
        const QString version = QString::fromStdString(ToFullWidth(KEMLESS_VERSION));
        QVERIFY(version.contains(QStringLiteral("．")));
        QVERIFY(fx->desktop.messages.first().contains(QStringLiteral("バージョン　") + version + "\r\n"));
    }

    void theRefreshTimerRunsWhileADisplayWindowIsLoaded() {
        MainWindow* w = startMain();
        QTimer* timer = fx->session->refreshTimer();
        QVERIFY(timer->isActive());
        // Its own timeout refreshes: a shorter wait shows the clock's minute.
        fx->clock.moment.minute += 5;
        timer->setInterval(5);
        QTRY_COMPARE(w->caption(kElapsedLabel), QStringLiteral("０年１ヶ月９日３時間５分"));
        AskThrough(w, &DisplayWindow::switchSizeRequested);
        QVERIFY(timer->isActive());  // the mini window on the screen, the main one hidden
        QVERIFY(fx->session->miniWindow()->close());
        QVERIFY(!timer->isActive());
    }

    void aCornerTheRuleKeepsIsUsedAndStoredExactly_data() {
        // Twips left of the screen's right edge and above its bottom edge
        // (0: a quarter of the way in from the left or top instead).
        QTest::addColumn<int>("fromRight");
        QTest::addColumn<int>("fromBottom");
        QTest::addColumn<bool>("mini");
        // At the margins themselves (the rule keeps a corner that is not
        // greater than the screen less the margin), and odd twips that no
        // pixel matches: the window hangs over the edge, as the user left it.
        QTest::addRow("main at the right margin") << 5000 << 0 << false;
        QTest::addRow("main at the bottom margin") << 0 << 3000 << false;
        QTest::addRow("main at both margins") << 5000 << 3000 << false;
        QTest::addRow("main just inside both, odd twips") << 5007 << 3001 << false;
        QTest::addRow("mini at both margins") << 3500 << 1500 << true;
        QTest::addRow("mini just inside both, odd twips") << 3503 << 1511 << true;
    }

    void aCornerTheRuleKeepsIsUsedAndStoredExactly() {
        QFETCH(int, fromRight);
        QFETCH(int, fromBottom);
        QFETCH(bool, mini);
        const auto [width, height] = WindowPlacer::ScreenTwips(nullptr);
        const int32_t left = fromRight != 0 ? width - fromRight : width / 4;
        const int32_t top = fromBottom != 0 ? height - fromBottom : height / 4;
        OptionSettings o;
        (mini ? o.miniLeft : o.mainLeft) = left;
        (mini ? o.miniTop : o.mainTop) = top;
        o.windowMode = mini ? WindowMode::Mini : WindowMode::Main;
        startMain(o);
        QWidget* w = mini ? static_cast<QWidget*>(fx->session->miniWindow()) : fx->session->mainWindow();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->pos(), QPoint(Px(left), Px(top)));
        // Hanging over an edge where it is wider than the room left: not moved in.
        QTest::qWait(400);
        QCOMPARE(w->pos(), QPoint(Px(left), Px(top)));
        QCOMPARE(mini ? fx->session->options().miniLeft : fx->session->options().mainLeft, left);
        // Through the exit, byte for byte the corner it started with.
        QVERIFY(w->close());
        fx->settle();
        const auto saved = fx->store().readOption();
        QVERIFY(saved);
        QCOMPARE(mini ? saved->miniLeft : saved->mainLeft, left);
        QCOMPARE(mini ? saved->miniTop : saved->mainTop, top);
    }

    void closingWritesThePositionAndUnloadsBoth() {
        OptionSettings o;
        o.mainLeft = 1500;
        o.mainTop = 3000;
        MainWindow* w = startMain(o);
        w->move(40, 60);
        w->showMinimized();
        QVERIFY(w->close());
        fx->settle();
        QVERIFY(!fx->session->mainWindow());
        QVERIFY(!fx->session->miniWindow());
        const auto back = fx->store().readOption();
        QVERIFY(back);
        QCOMPARE(back->mainLeft, 600);
        QCOMPARE(back->mainTop, 900);
        QVERIFY(back->quitStarted);
    }

    void exitMenuItemEndsTheProgramAlsoWithTheMiniWindowHidden() {
        MainWindow* w = startMain();
        QVERIFY(fx->session->miniWindow());
        w->popupMenu()->actions().at(7)->trigger();
        QTest::qWait(0);
        fx->settle();
        QVERIFY(!fx->session->mainWindow());
        QVERIFY(!fx->session->miniWindow());
    }

    void settingsButtonUnloadsBothBeforeTheDialog() {
        MainWindow* w = startMain();
        w->move(100, 100);
        w->button("settingsButton")->click();
        QTest::qWait(0);
        fx->settle();
        QVERIFY(!fx->session->mainWindow());
        QVERIFY(!fx->session->miniWindow());
        QWidget* dialog = fx->window("settingsDialog");
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(fx->store().readOption()->mainLeft, 1500);
        dialog->close();
        fx->settle();
    }

    void aSecondCopyIsRefusedWithoutWriting() {
        fx->writeStarted(SampleInitial(), {});
        const auto before = fx->store().readOption();
        fx->process.singleInstance = false;
        fx->session =
            std::make_unique<Session>(fx->clock, fx->desktop, fx->process, fx->dir.path().toStdString());
        QVERIFY_THROWS_EXCEPTION(Terminated, fx->session->start());
        QCOMPARE(fx->desktop.messages, QStringList{QStringLiteral("プログラムは既に起動されています。")});
        QCOMPARE(fx->store().readOption(), before);
    }

    void unreadableOptionFileLeadsToTheFirstRunSetup() {
        SettingsStore s = fx->store();
        s.ensureDataFolder();
        QVERIFY(s.writeInitial(SampleInitial()));
        QFile bad(QString::fromStdString(s.optionPath()));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("1,58,5,0,5,1,0,0,1,2,\"a\",2,0,0\r\n");
        bad.close();
        fx->start();
        QVERIFY(!fx->session->mainWindow());
        QWidget* setup = fx->window("firstRunSetup");
        QVERIFY(setup && setup->isVisible());
        setup->close();
        fx->settle();
    }

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
        QCOMPARE(s.options().windowMode, WindowMode::Mini);
        QCOMPARE(mini->windowTitle(), QStringLiteral(" ケムレス mini mode"));

        // Later openings keep the mini window's own place.
        mini->move(400, 50);
        miniAction("standardSizeAction")->trigger();
        QVERIFY(s.mainWindow()->isVisible());
        QCOMPARE(s.options().windowMode, WindowMode::Main);
        s.mainWindow()->popupMenu()->findChild<QAction*>(QStringLiteral("miniSizeAction"))->trigger();
        QCOMPARE(mini->pos(), QPoint(400, 50));

        // The restart opens the window last used.
        QVERIFY(mini->close());
        fx->stop();
        const auto saved = fx->store().readOption();
        QCOMPARE(saved->windowMode, WindowMode::Mini);
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

    // However the window comes up, the keyboard lands on the summary, so a
    // screen reader reads the six lines: at start and from the main
    // window's menu alike.
    void theSummaryTakesTheKeyboardWhenTheWindowComesUp() {
        for (const bool fromTheMenu : {false, true}) {
            OptionSettings o;
            o.windowMode = fromTheMenu ? WindowMode::Main : WindowMode::Mini;
            Session& s = startWith(o);
            if (fromTheMenu) {
                s.mainWindow()->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(s.mainWindow()));
                MenuItem(s.mainWindow(), "miniSizeAction")->trigger();
            }
            MiniWindow* mini = s.miniWindow();
            mini->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(mini));
            QCOMPARE(QApplication::focusWidget(), mini->summaryLabel());
            fx = std::make_unique<SessionFixture>();
        }
    }

    void doubleClickOnTheLabelHidesToTheTray() {
        OptionSettings o;
        o.windowMode = WindowMode::Mini;
        Session& s = startWith(o);
        QTest::mouseDClick(s.miniWindow()->summaryLabel(), Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!s.miniWindow()->isVisible());
        QVERIFY(s.miniWindow()->trayIcon()->isShown());
        QVERIFY(!s.mainWindow()->trayIcon()->isShown());
        emit s.miniWindow()->trayIcon()->restoreRequested();
        QVERIFY(s.miniWindow()->isVisible());
        QVERIFY(!s.miniWindow()->trayIcon()->isShown());
    }

    void labelShowsTheSummaryAndCopiesMatchTheMainWindow() {
        OptionSettings o;
        o.windowMode = WindowMode::Mini;
        o.copyPlusMode = 1;
        Session& s = startWith(o);
        const QString summary = QString::fromStdString(SummaryText(s.display(), s.initial(), s.options()));
        QCOMPARE(s.miniWindow()->text(), summary);
        QCOMPARE(s.miniWindow()->summaryLabel()->text().count(QLatin1Char('\n')), 5);
        // A screen reader hears the six lines after what they are.
        QCOMPARE(s.miniWindow()->summaryLabel()->accessibleName(),
                 QStringLiteral("卒煙の記録　") + s.miniWindow()->summaryLabel()->text());

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

    void closingTheMiniWindowStoresBothPositions() {
        OptionSettings o;
        o.windowMode = WindowMode::Mini;
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
        QCOMPARE(saved->windowMode, WindowMode::Mini);
    }

    void settingsFromTheMiniWindowComeBackToIt() {
        OptionSettings o;
        o.windowMode = WindowMode::Mini;
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
    void theBlogButtonTellsTheUserWhenNoBrowserTookThePage_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("messages");
        QTest::addRow("opener succeeds") << 0 << QStringList();
        QTest::addRow("opener fails") << 4 << QStringList{LaunchFailed("http://my.blog.jp/diary")};
    }
    void theBlogButtonTellsTheUserWhenNoBrowserTookThePage() {
        QFETCH(int, status);
        QFETCH(QStringList, messages);
        FakeOpener opener(status);
        SessionFixture fx;
        fx.desktop.realLauncher = true;
        OptionSettings o;
        o.linkUrl = "my.blog.jp/diary";
        fx.writeStarted(SampleInitial(), o);
        MainWindow* w = fx.start().mainWindow();
        w->findChild<QPushButton*>(QStringLiteral("openLinkButton"))->click();
        QTRY_VERIFY(QFile::exists(opener.argumentFile()));
        QCOMPARE(opener.argument(), QStringLiteral("http://my.blog.jp/diary"));
        QTRY_COMPARE(fx.desktop.messages, messages);
        QTest::qWait(100);
        QCOMPARE(fx.desktop.messages, messages);  // once, not again
        QVERIFY(w->isVisible());
        fx.stop();
    }
};

QTEST_MAIN(DisplayWindowsTest)
#include "display_windows_qtest.moc"

// --hidden: where the display window goes at start on each kind of desktop,
// and the ways back: a second start, and a notification area that goes
// away (in every mode); the area that comes after a hidden start; a second
// hidden start.
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "support/session_fixture.h"
#include "windows/tray_icon.h"

using namespace kemless;

class HiddenStartTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SessionFixture> fx;

    Session& startHidden(int windowMode) {
        OptionSettings o;
        o.windowMode = static_cast<WindowMode>(windowMode);
        fx->writeStarted(SampleInitial(), o);
        Session& s = fx->make();
        s.setStartHidden(true);
        s.start();
        return s;
    }
    DisplayWindow* shownByMode(Session& s, int windowMode) {
        return static_cast<WindowMode>(windowMode) == WindowMode::Mini
                   ? static_cast<DisplayWindow*>(s.miniWindow())
                   : s.mainWindow();
    }
    TrayIcon* trayByMode(Session& s, int windowMode) {
        return static_cast<WindowMode>(windowMode) == WindowMode::Mini ? s.miniWindow()->trayIcon()
                                                                       : s.mainWindow()->trayIcon();
    }

private slots:
    void init() { fx = std::make_unique<SessionFixture>(); }
    void cleanup() { fx.reset(); }

    void intoTheNotificationArea_data() {
        QTest::addColumn<int>("windowMode");
        QTest::addRow("main") << 0;
        QTest::addRow("mini") << 1;
    }
    void intoTheNotificationArea() {
        QFETCH(int, windowMode);
        Session& s = startHidden(windowMode);
        DisplayWindow* w = shownByMode(s, windowMode);
        QVERIFY(w != nullptr);
        QVERIFY(!w->isVisible());
        QVERIFY(trayByMode(s, windowMode)->isShown());
        QVERIFY(!fx->session->mainWindow()->isVisible());
        // A second start brings it forward, out of the area.
        s.bringForward();
        QVERIFY(w->isVisible());
        QVERIFY(!trayByMode(s, windowMode)->isShown());
    }

    void minimisedOnX11WithoutANotificationArea() {
        fx->desktop.tray = false;
        Session& s = startHidden(0);
        QVERIFY(s.mainWindow()->windowState() & Qt::WindowMinimized);
        QVERIFY(!s.mainWindow()->trayIcon()->isShown());
        s.bringForward();
        QVERIFY(!(s.mainWindow()->windowState() & Qt::WindowMinimized));
        QVERIFY(s.mainWindow()->isVisible());
    }

    void shownOnWaylandWithoutANotificationArea() {
        fx->desktop.tray = false;
        fx->desktop.positionsKnown = false;
        Session& s = startHidden(0);
        QVERIFY(s.mainWindow()->isVisible());
        QVERIFY(!(s.mainWindow()->windowState() & Qt::WindowMinimized));
        // Hidden by a double-click there, it is minimised; a second start maps
        // it afresh, out of minimised.
        s.mainWindow()->hideToTray(false);
        QVERIFY(s.mainWindow()->windowState() & Qt::WindowMinimized);
        s.bringForward();
        QVERIFY(s.mainWindow()->isVisible());
        QVERIFY(!(s.mainWindow()->windowState() & Qt::WindowMinimized));
    }

    void aPlainStartIsShownAsAlways() {
        fx->writeStarted(SampleInitial(), {});
        Session& s = fx->start();
        QVERIFY(s.mainWindow()->isVisible());
        QVERIFY(!(s.mainWindow()->windowState() & Qt::WindowMinimized));
        QVERIFY(!s.mainWindow()->trayIcon()->isShown());
    }

    void theFirstRunSetupIsNeverHidden() {
        Session& s = fx->make();
        s.setStartHidden(true);
        s.start();
        QVERIFY(SessionFixture::window("firstRunSetup") != nullptr);
        QVERIFY(SessionFixture::window("firstRunSetup")->isVisible());
    }

    void theWindowComesBackWhenTheAreaGoesAway_data() {
        QTest::addColumn<bool>("hiddenStart");
        QTest::addColumn<int>("windowMode");
        QTest::addRow("hidden start, main") << true << 0;
        QTest::addRow("hidden start, mini") << true << 1;
        QTest::addRow("plain start, hidden by a double-click") << false << 0;
        QTest::addRow("plain start, mini hidden by a double-click") << false << 1;
    }
    void theWindowComesBackWhenTheAreaGoesAway() {
        QFETCH(bool, hiddenStart);
        QFETCH(int, windowMode);
        OptionSettings o;
        o.windowMode = static_cast<WindowMode>(windowMode);
        fx->writeStarted(SampleInitial(), o);
        Session& s = fx->make();
        s.setStartHidden(hiddenStart);
        s.start();
        DisplayWindow* w = shownByMode(s, windowMode);
        if (!hiddenStart) {
            QCOMPARE(fx->desktop.areaWatches, 0);  // a plain start watches nothing
            emit w->hideRequested();
        }
        QVERIFY(!w->isVisible());
        QCOMPARE(fx->desktop.areaWatches, 1);
        // Another area came and went meanwhile: the window stays where it is.
        fx->desktop.setTray(true);
        QVERIFY(!w->isVisible());
        QVERIFY(trayByMode(s, windowMode)->isShown());
        // The panel quits: the window is back, and its icon gone.
        fx->desktop.setTray(false);
        QVERIFY(w->isVisible());
        QVERIFY(!(w->windowState() & Qt::WindowMinimized));
        QVERIFY(!trayByMode(s, windowMode)->isShown());
        // It comes back from a panel that returns: the window stays in view.
        fx->desktop.setTray(true);
        QVERIFY(w->isVisible());
        QCOMPARE(fx->desktop.areaWatches, 1);
    }

    // Login: the program starts before the panel that holds the area.
    void aHiddenStartGoesIntoTheAreaThatComesLater() {
        fx->desktop.tray = false;
        Session& s = startHidden(0);
        QVERIFY(s.mainWindow()->windowState() & Qt::WindowMinimized);
        fx->desktop.setTray(true);
        QVERIFY(!s.mainWindow()->isVisible());
        QVERIFY(s.mainWindow()->trayIcon()->isShown());
        // And back from there as always.
        s.bringForward();
        QVERIFY(s.mainWindow()->isVisible());
        QVERIFY(!(s.mainWindow()->windowState() & Qt::WindowMinimized));
        QVERIFY(!s.mainWindow()->trayIcon()->isShown());
    }

    void aWindowTheUserOpenedMeanwhileStaysInView() {
        fx->desktop.tray = false;
        Session& s = startHidden(0);
        // Opened from the task bar before the panel came.
        s.mainWindow()->showNormal();
        fx->desktop.setTray(true);
        QVERIFY(s.mainWindow()->isVisible());
        QVERIFY(!s.mainWindow()->trayIcon()->isShown());
    }

    void aSecondHiddenStartSaysNothingAndLeavesTheFirstAlone() {
        fx->writeStarted(SampleInitial(), {});
        fx->process.singleInstance = false;
        Session& s = fx->make();
        s.setStartHidden(true);
        QVERIFY_THROWS_EXCEPTION(Terminated, s.start());
        QVERIFY(fx->desktop.messages.isEmpty());
        QVERIFY(!fx->process.askedToShow);
    }

    void aSecondStartByHandSaysSoAndBringsTheFirstForward() {
        fx->writeStarted(SampleInitial(), {});
        fx->process.singleInstance = false;
        QVERIFY_THROWS_EXCEPTION(Terminated, fx->make().start());
        QCOMPARE(fx->desktop.messages, QStringList{QStringLiteral("プログラムは既に起動されています。")});
        QVERIFY(fx->process.askedToShow);
    }
};

QTEST_MAIN(HiddenStartTest)
#include "hidden_start_qtest.moc"

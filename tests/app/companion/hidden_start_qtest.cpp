// --hidden: where the display window goes at start on each kind of desktop,
// and the ways back: a second start, and a notification area that goes away.
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "companion/companion.h"
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

    void theWindowComesBackWhenTheAreaGoesAway() {
        Session& s = startHidden(0);
        // The watch looks every 20 ms here instead of every 2 s.
        Companion companion(s, false, 20);
        QVERIFY(!s.mainWindow()->isVisible());
        QSignalSpy looked(companion.trayWatch(), &QTimer::timeout);
        QTRY_VERIFY(looked.size() >= 3);
        QVERIFY2(!s.mainWindow()->isVisible(), "stays hidden while the area is there");
        fx->desktop.tray = false;
        QTRY_VERIFY_WITH_TIMEOUT(s.mainWindow()->isVisible(), 5000);
        QVERIFY(!s.mainWindow()->trayIcon()->isShown());
    }
};

QTEST_MAIN(HiddenStartTest)
#include "hidden_start_qtest.moc"

// The session's own rules: when the program ends, what a later start brings
// forward, and positions the desktop keeps to itself.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/help_window.h"
#include "dialogs/settings_dialog.h"
#include "support/session_fixture.h"
#include "windows/tray_icon.h"

using namespace kemless;

namespace {

QAction* MenuItem(DisplayWindow* w, const char* name) {
    return w->popupMenu()->findChild<QAction*>(QString::fromLatin1(name));
}

// Lets queued unloads and the end-of-program check run.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// A process whose quit really ends the running event loop.
class QuittingProcess : public FakeProcess {
public:
    void quit() override {
        FakeProcess::quit();
        QCoreApplication::quit();
    }
};

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SessionFixture> fx;

    Session& startStarted(OptionSettings o = {}) {
        fx->writeStarted(SampleInitial(), o);
        return fx->start();
    }

private slots:
    void init() { fx = std::make_unique<SessionFixture>(); }
    void cleanup() { fx.reset(); }

    // The program ends exactly when its last window has unloaded; a display
    // window hidden in the notification area is still loaded.
    void closingHelpKeepsAProgramWhoseWindowIsInTheTray_data() {
        QTest::addColumn<int>("windowMode");
        QTest::addRow("main window in the tray") << 0;
        QTest::addRow("mini window in the tray") << 1;
    }
    void closingHelpKeepsAProgramWhoseWindowIsInTheTray() {
        QFETCH(int, windowMode);
        OptionSettings o;
        o.windowMode = static_cast<WindowMode>(windowMode);
        Session& s = startStarted(o);
        DisplayWindow* shown = static_cast<WindowMode>(windowMode) == WindowMode::Mini
                                   ? static_cast<DisplayWindow*>(s.miniWindow())
                                   : s.mainWindow();
        emit shown->hideRequested();
        QVERIFY(!shown->isVisible());
        ShowHelp(s);
        QVERIFY(s.helpWindow()->close());
        Settle();
        QCOMPARE(fx->process.quits, 0);
        QVERIFY(s.mainWindow() && s.miniWindow());
        QVERIFY(shown->trayIcon()->isShown());

        // The icon brings it back; closing it then ends the program, once.
        emit shown->trayIcon()->restoreRequested();
        QVERIFY(shown->close());
        Settle();
        QCOMPARE(fx->process.quits, 1);
        QVERIFY(!s.mainWindow() && !s.miniWindow());
    }

    void helpOutlivesTheDisplayWindows() {
        Session& s = startStarted();
        ShowHelp(s);
        QVERIFY(s.mainWindow()->close());
        Settle();
        QVERIFY(!s.mainWindow());
        QCOMPARE(fx->process.quits, 0);
        // option.ini was written by the unload, not at the end.
        QVERIFY(fx->store().readOption());
        QVERIFY(s.helpWindow()->close());
        Settle();
        QCOMPARE(fx->process.quits, 1);
    }

    void dialogsHandOverWithoutEndingTheProgram() {
        Session& s = startStarted();
        MenuItem(s.mainWindow(), "settingsAction")->trigger();
        Settle();
        auto* dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
        QVERIFY(dialog);
        dialog->button("noticeButton")->click();  // the notice in its place
        Settle();
        QVERIFY(Window("noticeWindow"));
        QVERIFY(Window("noticeWindow")->close());  // brings the settings back
        Settle();
        dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
        QVERIFY(dialog);
        dialog->button("cancelButton")->click();
        Settle();
        QVERIFY(s.mainWindow() && s.mainWindow()->isVisible());
        QCOMPARE(fx->process.quits, 0);
    }

    void closingTheSettingsDialogEndsTheProgram() {
        Session& s = startStarted();
        OpenSettings(s);
        Settle();
        QVERIFY(Window("settingsDialog")->close());
        Settle();
        QCOMPARE(fx->process.quits, 1);
    }

    void closingTheFirstRunSetupOrDecliningEndsTheProgram_data() {
        QTest::addColumn<QString>("how");
        QTest::addRow("setup closed") << "setup";
        QTest::addRow("ceremony declined") << "decline";
        QTest::addRow("ceremony closed with Escape") << "escape";
    }
    void closingTheFirstRunSetupOrDecliningEndsTheProgram() {
        QFETCH(QString, how);
        fx->start();
        auto* setup = qobject_cast<FirstRunSetup*>(Window("firstRunSetup"));
        QVERIFY(setup);
        if (how == QLatin1String("setup")) {
            QVERIFY(setup->close());
        } else {
            setup->perDayBox()->setText(QStringLiteral("20"));
            setup->priceBox()->setText(QStringLiteral("500"));
            setup->confirmButton()->click();
            Settle();
            QCOMPARE(fx->process.quits, 0);
            auto* ceremony = qobject_cast<StartCeremony*>(Window("startCeremony"));
            QVERIFY(ceremony);
            if (how == QLatin1String("decline"))
                ceremony->declineButton(1)->click();
            else
                QTest::keyClick(ceremony->startButton(), Qt::Key_Escape);
        }
        Settle();
        QCOMPARE(fx->process.quits, 1);
        QVERIFY(!Window("startCeremony"));
        QCOMPARE(fx->store().readOption()->quitStarted, 0);
    }

    // A later start asks this copy to show itself.
    void aLaterStartBringsTheWindowForward_data() {
        QTest::addColumn<int>("windowMode");
        QTest::addColumn<bool>("tray");
        QTest::addRow("main window from the tray") << 0 << true;
        QTest::addRow("main window from minimised") << 0 << false;
        QTest::addRow("mini window from the tray") << 1 << true;
        QTest::addRow("mini window from minimised") << 1 << false;
    }
    void aLaterStartBringsTheWindowForward() {
        QFETCH(int, windowMode);
        QFETCH(bool, tray);
        fx->desktop.tray = tray;
        OptionSettings o;
        o.windowMode = static_cast<WindowMode>(windowMode);
        Session& s = startStarted(o);
        DisplayWindow* shown = static_cast<WindowMode>(windowMode) == WindowMode::Mini
                                   ? static_cast<DisplayWindow*>(s.miniWindow())
                                   : s.mainWindow();
        DisplayWindow* other = static_cast<WindowMode>(windowMode) == WindowMode::Mini
                                   ? static_cast<DisplayWindow*>(s.mainWindow())
                                   : s.miniWindow();
        emit shown->hideRequested();
        QVERIFY(!shown->isVisible() || shown->isMinimized());

        emit fx->process.activationRequested();
        QVERIFY(shown->isVisible());
        QVERIFY(!shown->isMinimized());
        QVERIFY(!shown->trayIcon()->isShown());
        QVERIFY(!other->isVisible());
    }

    void aLaterStartRaisesAnOpenDialog() {
        Session& s = startStarted();
        OpenSettings(s);
        Settle();
        QWidget* dialog = Window("settingsDialog");
        dialog->showMinimized();
        emit fx->process.activationRequested();
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isMinimized());
        QVERIFY(!s.mainWindow());
    }

    // Native Wayland neither places windows nor says where they are: what is
    // stored stays as it was.
    void unknownPositionsLeaveTheStoredOnes_data() {
        QTest::addColumn<QString>("how");
        QTest::addRow("main window closed") << "closeMain";
        QTest::addRow("mini window closed") << "closeMini";
        QTest::addRow("settings saved") << "saveSettings";
    }
    void unknownPositionsLeaveTheStoredOnes() {
        QFETCH(QString, how);
        fx->desktop.positionsKnown = false;
        OptionSettings o;
        o.mainLeft = 1500;
        o.mainTop = 3000;
        o.miniLeft = 900;
        o.miniTop = 600;
        o.windowMode = static_cast<WindowMode>(how == QLatin1String("closeMini") ? 1 : 0);
        Session& s = startStarted(o);
        s.mainWindow()->move(333, 222);
        s.miniWindow()->move(222, 111);
        if (how == QLatin1String("closeMain")) {
            QVERIFY(s.mainWindow()->close());
        } else if (how == QLatin1String("closeMini")) {
            QVERIFY(s.miniWindow()->close());
        } else {
            OpenSettings(s);
            Settle();
            auto* dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
            dialog->move(111, 77);
            dialog->save();
            Settle();
            QVERIFY(s.mainWindow()->close());
        }
        Settle();
        const auto back = fx->store().readOption();
        QVERIFY(back);
        QCOMPARE(back->mainLeft, 1500);
        QCOMPARE(back->mainTop, 3000);
        QCOMPARE(back->miniLeft, 900);
        QCOMPARE(back->miniTop, 600);
    }

    void aMissingBaseFolderIsMadeWithTheRecord() {
        // The per-user data folder does not exist before the first start.
        const QString base = fx->dir.filePath(QStringLiteral("share/kemless"));
        fx->session = std::make_unique<Session>(fx->clock, fx->desktop, fx->process, base.toStdString());
        fx->session->start();
        QVERIFY(QFileInfo(base + QStringLiteral("/kemlessdata/initial.ini")).isFile());
        QVERIFY(QFileInfo(base + QStringLiteral("/kemlessdata/option.ini")).isFile());
        QVERIFY(fx->desktop.messages.isEmpty());
        QVERIFY(Window("firstRunSetup"));
    }

    // Last: runs the real event loop, the way the program does. Qt by itself
    // would end it as soon as the last visible window closed.
    void theEventLoopOutlivesHelpWhileTheWindowIsInTheTray() {
        FakeClock clock;
        FakeDesktop desktop;
        QuittingProcess process;
        QTemporaryDir dir;
        SettingsStore store(dir.path().toStdString());
        store.ensureDataFolder();
        QVERIFY(store.writeInitial(SampleInitial()));
        OptionSettings o;
        o.quitStarted = 1;
        QVERIFY(store.writeOption(o));
        Session session(clock, desktop, process, dir.path().toStdString());
        session.start();
        MainWindow* w = session.mainWindow();

        bool aliveAfterHelpClosed = false;
        QTimer::singleShot(0, w, [&] {
            emit w->hideRequested();
            ShowHelp(session);
        });
        QTimer::singleShot(50, &session, [&] { session.helpWindow()->close(); });
        QTimer::singleShot(400, &session, [&] {
            aliveAfterHelpClosed = true;
            emit w->trayIcon()->restoreRequested();
            w->close();
        });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });  // never hang the suite
        const int rc = QCoreApplication::exec();
        QVERIFY(aliveAfterHelpClosed);
        QCOMPARE(rc, 0);
        QCOMPARE(process.quits, 1);
        QVERIFY(!session.mainWindow());
    }
};

QTEST_MAIN(SessionTest)
#include "session_qtest.moc"

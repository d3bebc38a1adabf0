#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "desktop/focus_ring.h"
#include "desktop/twips.h"
#include "display/copy_texts.h"
#include "support/session_fixture.h"
#include "support/tick.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"
#include "windows/tray_icon.h"
#include "windows/widgets.h"

using namespace kemless;

Q_DECLARE_METATYPE(kemless::CalendarMoment)

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SessionFixture> fx;
    // A point on the grey background, away from every control.
    const QPoint background{200, 10};

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
        QCOMPARE(w->caption(kLifeLabel), QString::fromStdString(fx->session->display().captions[kLifeLabel]));
        QVERIFY(!w->caption(kMessageLabel).isEmpty());
        QCOMPARE(fx->session->refreshTimer()->interval(), 30000);
        QVERIFY(fx->session->refreshTimer()->isActive());
    }

    void stagesOfTheDucksAndTheBar_data() {
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("visibleDucks");
        QTest::addColumn<bool>("barVisible");
        QTest::addColumn<int>("barValue");
        QTest::addRow("quit day") << 0 << 0 << true << 0;
        QTest::addRow("day 10") << 10 << 0 << true << 30;
        QTest::addRow("day 11") << 11 << 1 << true << 0;
        QTest::addRow("day 22") << 22 << 2 << true << 0;
        QTest::addRow("day 33 bar gone") << 33 << 3 << false << 0;
        QTest::addRow("day 70") << 70 << 3 << false << 0;
    }
    void stagesOfTheDucksAndTheBar() {
        QFETCH(int, days);
        QFETCH(int, visibleDucks);
        QFETCH(bool, barVisible);
        QFETCH(int, barValue);
        // Quit `days` whole days before "now", counting back from 2027-03-01.
        InitialSettings back;
        fx->clock.moment = {2027, 3, 1, 12, 0};
        int y = 2027, m = 3, d = 1;
        for (int i = 0; i < days; ++i) {
            if (--d == 0) {
                if (--m == 0) {
                    m = 12;
                    --y;
                }
                const int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
                d = lengths[m];
            }
        }
        back.quit = {y, m, d, 12, 0};
        fx->writeStarted(back, {});
        MainWindow* w = fx->start().mainWindow();
        int shown = 0;
        for (int i = 0; i < kDuckCount; ++i) shown += w->duck(static_cast<Duck>(i))->isVisibleTo(w);
        QCOMPARE(shown, visibleDucks);
        QCOMPARE(w->progressBar()->isVisibleTo(w), barVisible);
        QCOMPARE(w->progressBar()->value(), barValue);
        QCOMPARE(w->progressBar()->maximum(), 33);
    }

    void barNeverComesBackAndRaisedDucksStayRaised() {
        InitialSettings in;
        in.quit = {2026, 11, 1, 12, 0};
        fx->writeStarted(in, {});
        fx->clock.moment = {2026, 12, 5, 12, 0};  // day 34
        MainWindow* w = fx->start().mainWindow();
        QVERIFY(!w->progressBar()->isVisibleTo(w));
        QLabel* vice = w->duck(Duck::ViceCaptainArriving);
        QCOMPARE(vice->y(), Px(2850));
        // The clock is set back to day 12: the bar stays gone, the duck raised.
        fx->clock.moment = {2026, 11, 13, 12, 0};
        QVERIFY(Tick(*fx->session));
        QVERIFY(!w->progressBar()->isVisibleTo(w));
        QVERIFY(vice->isVisibleTo(w));
        QCOMPARE(vice->y(), Px(2850));
        QCOMPARE(w->progressBar()->value(), 3);
    }

    void lungsFollowTheDays() {
        MainWindow* w = startMain();  // day 39
        QCOMPARE(w->lungs()->fillColor(), QColor(255, 140, 140));
        QCOMPARE(w->lungs()->accessibleName(), QStringLiteral("肺の状態　きれいなピンク"));
    }

    // A screen reader hears each value line as its heading and its value in
    // one name; each heading is heard only with its value. A change of the
    // line is told as a change of value, which Orca reads the line again
    // for; the lines that did not change keep theirs.
    void everyValueLineIsHeardWithItsHeading() {
        MainWindow* w = startMain();
        const QString headings[6] = {QStringLiteral("卒煙からの日数"),   QStringLiteral("延びた寿命"),
                                     QStringLiteral("節約できた金額"),   QStringLiteral("ステータス"),
                                     QStringLiteral("吸わなかった煙草"), QStringLiteral("今日の一言")};
        auto line = [w](int i) { return QAccessible::queryAccessibleInterface(w->valueLabel(i)); };
        for (int i = 0; i < 6; ++i) {
            QVERIFY(!w->caption(i).isEmpty());
            QCOMPARE(line(i)->text(QAccessible::Name), headings[i] + QStringLiteral("　") + w->caption(i));
            QCOMPARE(line(i)->role(), QAccessible::StaticText);
            QVERIFY(line(i)->valueInterface());
        }
        for (QLabel* heading : w->findChildren<QLabel*>(QRegularExpression(QStringLiteral("Heading$")))) {
            QAccessibleInterface* silent = QAccessible::queryAccessibleInterface(heading);
            QVERIFY2(silent->state().invisible && silent->text(QAccessible::Name).isEmpty(),
                     qPrintable(heading->objectName()));
        }
        auto revision = [&](int i) { return line(i)->valueInterface()->currentValue().toInt(); };
        const int elapsedBefore = revision(kElapsedLabel);
        const int lifeBefore = revision(kLifeLabel);
        QTest::mouseClick(w->valueLabel(kElapsedLabel), Qt::LeftButton);
        QCOMPARE(line(kElapsedLabel)->text(QAccessible::Name),
                 QStringLiteral("卒煙からの日数　３９日３時間０分"));
        QVERIFY(revision(kElapsedLabel) > elapsedBefore);
        QCOMPARE(revision(kLifeLabel), lifeBefore);
        // The refresh brings the calendar form back, at the same minute: only
        // the elapsed line changed.
        const int toggled = revision(kElapsedLabel);
        QVERIFY(Tick(*fx->session));
        QCOMPARE(line(kElapsedLabel)->text(QAccessible::Name),
                 QStringLiteral("卒煙からの日数　０年１ヶ月９日３時間０分"));
        QVERIFY(revision(kElapsedLabel) > toggled);
        QCOMPARE(revision(kLifeLabel), lifeBefore);
        // A later minute changes the line that shows it, not the title.
        const int elapsed = revision(kElapsedLabel);
        const int status = revision(kStatusLabel);
        fx->clock.moment.minute = 1;
        QVERIFY(Tick(*fx->session));
        QVERIFY(revision(kElapsedLabel) > elapsed);
        QCOMPARE(revision(kStatusLabel), status);

        QCOMPARE(QAccessible::queryAccessibleInterface(w->lungs())->role(), QAccessible::Graphic);
        QCOMPARE(QAccessible::queryAccessibleInterface(w->lungs())->text(QAccessible::Name),
                 QStringLiteral("肺の状態　きれいなピンク"));
        QCOMPARE(w->progressBar()->accessibleName(), QStringLiteral("次のアヒルまで"));
        // Buttons are heard by their captions first, then by what they do.
        QAccessibleInterface* copy = QAccessible::queryAccessibleInterface(w->button("copySummaryButton"));
        QCOMPARE(copy->text(QAccessible::Name), QStringLiteral("コピ１"));
        QCOMPARE(copy->text(QAccessible::Description), QStringLiteral("コピーする"));
        QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name),
                 QStringLiteral("ケムレス"));
        QCOMPARE(w->windowTitle(), QStringLiteral(" ケムレス - lunapo"));
    }

    // Tab reaches every figure in reading order, then the buttons; each
    // figure is marked together with its heading. Day 20: the bar and the
    // first duck show.
    void tabGoesThroughEveryFigureInReadingOrder() {
        InitialSettings in = SampleInitial();
        in.quit = {2026, 11, 20, 9, 0};
        fx->writeStarted(in, {});
        MainWindow* w = fx->start().mainWindow();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->valueLabel(kElapsedLabel));
        QStringList order;
        for (int i = 0; i < 14; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"elapsedValue", "lifeValue", "savingsValue", "unsmokedValue",
                                     "statusValue", "messageValue", "viceCaptainArriving", "nextDuckProgress",
                                     "lungs", "copySummaryButton", "copyShortButton", "openLinkButton",
                                     "settingsButton", "elapsedValue"}));
        QVERIFY(FocusMarkedArea(w->valueLabel(kStatusLabel))
                    .contains(w->findChild<QWidget*>(QStringLiteral("statusHeading"))->geometry()));
        QVERIFY(FocusMarkedArea(w->lungs())
                    .contains(w->findChild<QWidget*>(QStringLiteral("lungsHeading"))->geometry()));
    }

    void popupMenuOrderAndMouseButtons() {
        MainWindow* w = startMain();
        QStringList names;
        QStringList captions;
        for (QAction* a : w->popupMenu()->actions()) {
            names << a->objectName();
            captions << a->text();
        }
        // Hiding in the notification area comes after every other item.
        QCOMPARE(names, (QStringList{"copySummaryAction", "copyShortAction", "openLinkAction",
                                     "settingsAction", "versionAction", "miniSizeAction", "helpAction",
                                     "exitAction", "hideToTrayAction"}));
        QCOMPARE(captions.first(), QStringLiteral("コピーする"));
        QCOMPARE(captions[7], QStringLiteral("アプリケーションの終了"));
        QCOMPARE(captions.last(), QStringLiteral("タスクトレイに入れる"));

        QTest::mousePress(w, Qt::LeftButton, {}, background);
        QTest::mousePress(w, Qt::MiddleButton, {}, background);
        QVERIFY(!w->popupMenu()->isVisible());
        QTest::mousePress(w->valueLabel(kMoneyLabel), Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!w->popupMenu()->isVisible());
        QTest::mousePress(w->button("settingsButton"), Qt::RightButton, {}, QPoint(3, 3));
        QTest::mousePress(w->progressBar(), Qt::RightButton, {}, QPoint(3, 3));
        QVERIFY(!w->popupMenu()->isVisible());
        QTest::mousePress(w, Qt::RightButton, {}, background);
        QVERIFY(w->popupMenu()->isVisible());
        w->popupMenu()->hide();
    }

    void doubleClickHidesToTrayAndAClickOnTheIconRestores() {
        MainWindow* w = startMain();
        QTest::mouseDClick(w->valueLabel(kMoneyLabel), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(w->isVisible());
        QTest::mouseDClick(w, Qt::LeftButton, {}, background);
        QVERIFY(!w->isVisible());
        QVERIFY(fx->session->mainTray()->isShown());
        QCOMPARE(fx->session->mainTray()->toolTip(), QStringLiteral("ケムレス"));
        QVERIFY(fx->session->refreshTimer()->isActive());
        emit fx->session->mainTray()->restoreRequested();
        QVERIFY(w->isVisible());
        QVERIFY(!fx->session->mainTray()->isShown());
    }

    void withoutANotificationAreaTheWindowIsMinimised() {
        fx->desktop.tray = false;
        MainWindow* w = startMain();
        QTest::mouseDClick(w, Qt::LeftButton, {}, background);
        QVERIFY(w->isVisible());
        QVERIFY(w->windowState() & Qt::WindowMinimized);
        QVERIFY(!fx->session->mainTray()->isShown());
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
        w->popupMenu()->findChild<QAction*>(QStringLiteral("hideToTrayAction"))->trigger();
        QCOMPARE(w->isVisible(), !tray);
        QCOMPARE(fx->session->mainTray()->isShown(), tray);
        QCOMPARE(bool(w->windowState() & Qt::WindowMinimized), !tray);
        if (tray) {
            emit fx->session->mainTray()->restoreRequested();
            QVERIFY(w->isVisible());
        }
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

    void keyboardReachesTheMenuAndTheToggle() {
        MainWindow* w = startMain();
        // The desktop turns the Menu key into a keyboard context-menu event
        // for the focused control; it must travel up to the window.
        // From the keyboard the menu opens on its first item, which a screen
        // reader then says.
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(w->button("copySummaryButton"), &menuKey);
        QVERIFY(w->popupMenu()->isVisible());
        QCOMPARE(w->popupMenu()->activeAction(), w->popupMenu()->actions().constFirst());
        w->popupMenu()->hide();
        QTest::keyClick(w->button("copySummaryButton"), Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(w->popupMenu()->isVisible());
        QCOMPARE(w->popupMenu()->activeAction(), w->popupMenu()->actions().constFirst());
        QCOMPARE(QAccessible::queryAccessibleInterface(w->popupMenu())->text(QAccessible::Name),
                 QStringLiteral("ケムレスのメニュー"));
        w->popupMenu()->hide();
        QTest::keyClick(w->valueLabel(kElapsedLabel), Qt::Key_Space);
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("３９日３時間０分"));
        QCOMPARE(w->valueLabel(kElapsedLabel)->accessibleName(),
                 QStringLiteral("卒煙からの日数　３９日３時間０分"));
    }

    void doubleClickOnTheElapsedLineTogglesOnce() {
        // A double-click is one click and then a double-click: the line
        // shows the other form, the copy follows, the window stays.
        MainWindow* w = startMain();
        // Through the window, as the windowing system delivers it: press,
        // release, press (a double-click), release.
        const QPoint onLine = w->valueLabel(kElapsedLabel)->geometry().topLeft() + QPoint(5, 5);
        QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, onLine);
        QVERIFY(w->isVisible());
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("３９日３時間０分"));
        QCOMPARE(fx->session->display().showTotalDays, 1);
        w->button("copySummaryButton")->click();
        QVERIFY(fx->desktop.clipboard.contains(QStringLiteral("卒煙からの日数： 39日 3時間 0分")));
        // The next single click goes back.
        QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, onLine);
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("０年１ヶ月９日３時間０分"));
    }

    void aFocusedButtonIsPressedByEnterOrSpace_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addRow("Return on コピ１") << "copySummaryButton" << int(Qt::Key_Return);
        QTest::addRow("keypad Enter on コピ２") << "copyShortButton" << int(Qt::Key_Enter);
        QTest::addRow("Space on コピ１") << "copySummaryButton" << int(Qt::Key_Space);
        QTest::addRow("Return on ＢＢＳ") << "openLinkButton" << int(Qt::Key_Return);
    }
    void aFocusedButtonIsPressedByEnterOrSpace() {
        QFETCH(QString, button);
        QFETCH(int, key);
        MainWindow* w = startMain();
        QPushButton* b = w->button(button.toLatin1().constData());
        QVERIFY(b->focusPolicy() & Qt::TabFocus);
        b->setFocus();
        QTest::keyClick(b, Qt::Key(key));
        if (button == QLatin1String("openLinkButton")) {
            QCOMPARE(fx->desktop.opened.size(), 1);
        } else {
            QVERIFY(!fx->desktop.clipboard.isEmpty());
        }
        // Enter pressed the button once, not the window's default twice.
        QVERIFY(fx->desktop.messages.isEmpty());
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
        QCOMPARE(
            fx->desktop.messages,
            QStringList{QStringLiteral("エラーです。フォルダオプションの関連付けなどを確認してください")});
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
        w->popupMenu()->actions().at(4)->trigger();
        QCOMPARE(fx->desktop.messages.size(), 1);
        QVERIFY(fx->desktop.messages.first().contains(QStringLiteral("１．２０")));
    }

    void placementCorrectsAStoredCornerOffScreen() {
        OptionSettings o;
        o.mainLeft = 1000000;
        o.mainTop = -300;
        MainWindow* w = startMain(o);
        const auto [width, height] = WindowPlacer::ScreenTwips(w);
        const QRect area = w->screen()->availableGeometry();
        // The middle of the screen, moved left and up where the window would
        // reach beyond it there (a small screen, or a large scale).
        const QPoint middle(Px(width / 2), Px(height / 2));
        const QPoint expected(std::min(middle.x(), area.x() + area.width() - w->width()),
                              std::min(middle.y(), area.y() + area.height() - w->height()));
        QCOMPARE(w->pos(), expected);
        // Once framed, the frame too: it is moved in by the frame's width.
        QTRY_VERIFY2(area.contains(w->frameGeometry()), "the whole window and its frame on the screen");
        if (expected == middle) {
            QCOMPARE(fx->session->options().mainLeft, width / 2);
            QCOMPARE(fx->session->options().mainTop, height / 2);
        } else {
            QCOMPARE(fx->session->options().mainLeft, RoundTwips(expected.x() * 15.0));
            QCOMPARE(fx->session->options().mainTop, RoundTwips(expected.y() * 15.0));
        }
    }

    void theRefreshTimerRunsWhileADisplayWindowIsLoaded() {
        MainWindow* w = startMain();
        QTimer* timer = fx->session->refreshTimer();
        QVERIFY(timer->isActive());
        // Its own timeout refreshes: a shorter wait shows the clock's minute.
        fx->clock.moment.minute += 5;
        timer->setInterval(5);
        QTRY_COMPARE(w->caption(kElapsedLabel), QStringLiteral("０年１ヶ月９日３時間５分"));
        fx->session->switchToMini();
        QVERIFY(timer->isActive());  // the mini window on the screen, the main one hidden
        fx->session->unloadMiniWindow();
        QVERIFY(!timer->isActive());
    }

    void aWindowThatWouldReachBeyondTheScreenIsMovedInOnlyAsFarAsNeeded() {
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const QRect area = screen->availableGeometry();
        const auto [width, height] = WindowPlacer::ScreenTwips(nullptr);
        // At the middle (where an off-screen corner goes) a window larger
        // than the rest of the screen reaches beyond its right and lower edges.
        QWidget big;
        big.resize(area.width() / 2 + 60, area.height() / 2 + 40);
        WindowPlacer placer;
        int32_t left = 1000000, top = 0;
        placer.placeDisplayWindow(&big, left, top, kMainWindowMargins);
        const QPoint expected(area.x() + area.width() - big.width(), area.y() + area.height() - big.height());
        QVERIFY(expected.x() < Px(width / 2) && expected.y() < Px(height / 2));
        QCOMPARE(big.pos(), expected);
        QCOMPARE(left, RoundTwips(big.x() * 15.0));
        QCOMPARE(top, RoundTwips(big.y() * 15.0));
        // A window that fits stays exactly where the rule puts it.
        QWidget small;
        small.resize(100, 80);
        const int32_t eighthLeft = width / 8 / 15 * 15;
        const int32_t eighthTop = height / 8 / 15 * 15;
        left = eighthLeft;
        top = eighthTop;
        placer.placeDisplayWindow(&small, left, top, kMainWindowMargins);
        QCOMPARE(small.pos(), QPoint(Px(eighthLeft), Px(eighthTop)));
        QCOMPARE(left, eighthLeft);
        QCOMPARE(top, eighthTop);
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
        QCOMPARE(back->quitStarted, 1);
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
        const SettingsStore s = fx->store();
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
};

QTEST_MAIN(MainWindowTest)
#include "main_window_qtest.moc"

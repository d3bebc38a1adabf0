// The main window alone: what it shows of a refresh (lines, lungs, ducks,
// bar), what a screen reader hears, its menu, mouse and keys, and where it
// is placed. No session: the window renders and says what the user asked.
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
#include <algorithm>

#include "desktop/focus_ring.h"
#include "desktop/placement.h"
#include "desktop/twips.h"
#include "display/copy_texts.h"
#include "support/calendar.h"
#include "support/shown_window.h"
#include "windows/main_window.h"
#include "windows/tray_icon.h"
#include "windows/widgets.h"

using namespace kemless;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    // A point on the grey background, away from every control.
    const QPoint background{200, 10};

private slots:
    // The focus ring is drawn for the whole application, as the program sets it.
    void initTestCase() { ShowFocusRings(); }

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
        // Quit `days` whole days before 2027-03-01 12:00.
        const CalendarMoment now{2027, 3, 1, 12, 0};
        InitialSettings back;
        back.quit = MinutesAfter(now, -int64_t{days} * 1440);
        ShownMainWindow shown({}, now, back);
        MainWindow* w = &shown.window;
        int visible = 0;
        for (int i = 0; i < kDuckCount; ++i) visible += w->duck(static_cast<Duck>(i))->isVisibleTo(w);
        QCOMPARE(visible, visibleDucks);
        QCOMPARE(w->progressBar()->isVisibleTo(w), barVisible);
        QCOMPARE(w->progressBar()->value(), barValue);
        QCOMPARE(w->progressBar()->maximum(), 33);
    }

    void barNeverComesBackAndRaisedDucksStayRaised() {
        InitialSettings in;
        in.quit = {2026, 11, 1, 12, 0};
        ShownMainWindow shown({}, {2026, 12, 5, 12, 0}, in);  // day 34
        MainWindow* w = &shown.window;
        QVERIFY(!w->progressBar()->isVisibleTo(w));
        QLabel* vice = w->duck(Duck::ViceCaptainArriving);
        QCOMPARE(vice->y(), Px(2850));
        // The clock is set back to day 12: the bar stays gone, the duck raised.
        shown.refresh({2026, 11, 13, 12, 0});
        QVERIFY(!w->progressBar()->isVisibleTo(w));
        QVERIFY(vice->isVisibleTo(w));
        QCOMPARE(vice->y(), Px(2850));
        QCOMPARE(w->progressBar()->value(), 3);
    }

    void lungsFollowTheDays() {
        ShownMainWindow shown;  // day 39
        QCOMPARE(shown.window.lungs()->fillColor(), QColor(255, 140, 140));
        QCOMPARE(shown.window.lungs()->accessibleName(), QStringLiteral("肺の状態　きれいなピンク"));
    }

    // A screen reader hears each value line as its heading and its value in
    // one name; each heading is heard only with its value. A change of the
    // line is told as a change of value, which Orca reads the line again
    // for; the lines that did not change keep theirs.
    void everyValueLineIsHeardWithItsHeading() {
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
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
        shown.refresh({2026, 12, 10, 12, 0});
        QCOMPARE(line(kElapsedLabel)->text(QAccessible::Name),
                 QStringLiteral("卒煙からの日数　０年１ヶ月９日３時間０分"));
        QVERIFY(revision(kElapsedLabel) > toggled);
        QCOMPARE(revision(kLifeLabel), lifeBefore);
        // A later minute changes the line that shows it, not the title.
        const int elapsed = revision(kElapsedLabel);
        const int status = revision(kStatusLabel);
        shown.refresh({2026, 12, 10, 12, 1});
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
        ShownMainWindow shown({}, {2026, 12, 10, 12, 0}, in);
        MainWindow* w = &shown.window;
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

    void showsTheRefreshItRenders() {
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
        QCOMPARE(w->windowTitle(), QStringLiteral(" ケムレス - lunapo"));
        QCOMPARE(w->size(), QSize(375, 222));
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("０年１ヶ月９日３時間０分"));
        QCOMPARE(w->caption(kStatusLabel), QStringLiteral("大将"));
        // 39 days and 3 hours at 20 a day: 782.5 cigarettes, 5.5 minutes
        // each, 4303 whole minutes.
        QCOMPARE(w->caption(kLifeLabel), QStringLiteral("２日と２３時間４３分"));
        QVERIFY(!w->caption(kMessageLabel).isEmpty());
    }

    void popupMenuOrderAndMouseButtons() {
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
        QStringList names;
        QStringList captions;
        for (QAction* a : w->popupMenu()->actions()) {
            names << a->objectName();
            captions << a->text();
        }
        // Hiding in the notification area comes directly after the window's
        // own items; the windows beside the display last, past a separator.
        QCOMPARE(names, (QStringList{"copySummaryAction", "copyShortAction", "openLinkAction",
                                     "settingsAction", "versionAction", "miniSizeAction", "helpAction",
                                     "exitAction", "hideToTrayAction", "", "cravingAction", "recordAction",
                                     "healthAction", "planAction"}));
        QCOMPARE(captions.first(), QStringLiteral("コピーする"));
        QCOMPARE(captions.at(7), QStringLiteral("アプリケーションの終了"));
        QCOMPARE(captions.at(8), QStringLiteral("タスクトレイに入れる"));
        QVERIFY(w->popupMenu()->actions().at(9)->isSeparator());
        QCOMPARE(captions.mid(10),
                 (QStringList{"吸いたくなったら", "これまでの記録", "回復のあゆみ", "わたしの卒煙プラン"}));

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

    void doubleClickOnTheBackgroundAsksToHideAndTheIconRestores() {
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
        QSignalSpy hide(w, &DisplayWindow::hideRequested);
        QTest::mouseDClick(w->valueLabel(kMoneyLabel), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(hide.size(), 0);
        QTest::mouseDClick(w, Qt::LeftButton, {}, background);
        QCOMPARE(hide.size(), 1);
        // The menu's last item, the keyboard's way, asks the same.
        w->popupMenu()->findChild<QAction*>(QStringLiteral("hideToTrayAction"))->trigger();
        QCOMPARE(hide.size(), 2);
        w->hideToTray(true);
        QVERIFY(!w->isVisible());
        QVERIFY(w->trayIcon()->isShown());
        QCOMPARE(w->trayIcon()->toolTip(), QStringLiteral("ケムレス"));
        emit w->trayIcon()->restoreRequested();
        QVERIFY(w->isVisible());
        QVERIFY(!w->trayIcon()->isShown());
    }

    void withoutANotificationAreaTheWindowIsMinimised() {
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
        w->hideToTray(false);
        QVERIFY(w->isVisible());
        QVERIFY(w->windowState() & Qt::WindowMinimized);
        QVERIFY(!w->trayIcon()->isShown());
    }

    void keyboardReachesTheMenuAndTheToggle() {
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
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
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
        QSignalSpy hide(w, &DisplayWindow::hideRequested);
        // Through the window, as the windowing system delivers it: press,
        // release, press (a double-click), release.
        const QPoint onLine = w->valueLabel(kElapsedLabel)->geometry().topLeft() + QPoint(5, 5);
        QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, onLine);
        QCOMPARE(hide.size(), 0);
        QCOMPARE(w->caption(kElapsedLabel), QStringLiteral("３９日３時間０分"));
        QVERIFY(shown.display.showTotalDays);
        QVERIFY(QString::fromStdString(SummaryText(shown.display, shown.initial, shown.options))
                    .contains(QStringLiteral("卒煙からの日数： 39日 3時間 0分")));
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
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
        QSignalSpy summary(w, &DisplayWindow::copySummaryRequested);
        QSignalSpy shortText(w, &DisplayWindow::copyShortRequested);
        QSignalSpy link(w, &DisplayWindow::openLinkRequested);
        QPushButton* b = w->button(button.toLatin1().constData());
        QVERIFY(b->focusPolicy() & Qt::TabFocus);
        b->setFocus();
        QTest::keyClick(b, Qt::Key(key));
        // Pressed once, and nothing else asked for.
        const int expected[3] = {button == QLatin1String("copySummaryButton"),
                                 button == QLatin1String("copyShortButton"),
                                 button == QLatin1String("openLinkButton")};
        QCOMPARE(summary.size(), expected[0]);
        QCOMPARE(shortText.size(), expected[1]);
        QCOMPARE(link.size(), expected[2]);
    }

    void buttonsAndMenuItemsAskForTheSameAction() {
        ShownMainWindow shown;
        MainWindow* w = &shown.window;
        QSignalSpy summary(w, &DisplayWindow::copySummaryRequested);
        QSignalSpy shortText(w, &DisplayWindow::copyShortRequested);
        QSignalSpy link(w, &DisplayWindow::openLinkRequested);
        QSignalSpy settings(w, &DisplayWindow::settingsRequested);
        w->button("copySummaryButton")->click();
        w->popupMenu()->findChild<QAction*>(QStringLiteral("copySummaryAction"))->trigger();
        w->button("copyShortButton")->click();
        w->popupMenu()->findChild<QAction*>(QStringLiteral("copyShortAction"))->trigger();
        w->button("openLinkButton")->click();
        w->popupMenu()->findChild<QAction*>(QStringLiteral("openLinkAction"))->trigger();
        w->button("settingsButton")->click();
        w->popupMenu()->findChild<QAction*>(QStringLiteral("settingsAction"))->trigger();
        QCOMPARE(summary.size(), 2);
        QCOMPARE(shortText.size(), 2);
        QCOMPARE(link.size(), 2);
        QCOMPARE(settings.size(), 2);
        // The windows beside the display, from the menu alone.
        QSignalSpy craving(w, &DisplayWindow::cravingRequested);
        QSignalSpy record(w, &DisplayWindow::recordRequested);
        QSignalSpy health(w, &DisplayWindow::healthRequested);
        QSignalSpy plan(w, &DisplayWindow::planRequested);
        for (const char* name : {"cravingAction", "recordAction", "healthAction", "planAction"})
            w->popupMenu()->findChild<QAction*>(QLatin1String(name))->trigger();
        QCOMPARE(craving.size(), 1);
        QCOMPARE(record.size(), 1);
        QCOMPARE(health.size(), 1);
        QCOMPARE(plan.size(), 1);
    }

    void placementCorrectsAStoredCornerOffScreen() {
        MainWindow w;
        WindowPlacer placer;
        const Corner stored = placer.placeDisplayWindow(&w, {1000000, -300}, kMainWindowMargins);
        w.show();
        const auto [width, height] = WindowPlacer::ScreenTwips(&w);
        // In whole device pixels: at scale 1.5 the last unit of a 1366-pixel
        // screen would end half a pixel beyond it.
        const QRect area = AvailableArea(&w);
        // The middle of the screen, moved left and up where the window would
        // reach beyond it there (a small screen, or a large scale).
        const QPoint middle(Px(width / 2), Px(height / 2));
        const QPoint expected(std::min(middle.x(), area.x() + area.width() - w.width()),
                              std::min(middle.y(), area.y() + area.height() - w.height()));
        QCOMPARE(w.pos(), expected);
        // Once framed, the frame too: it is moved in by the frame's width.
        QTRY_VERIFY2(area.contains(w.frameGeometry()), "the whole window and its frame on the screen");
        if (expected == middle) {
            QCOMPARE(stored, (Corner{width / 2, height / 2}));
        } else {
            QCOMPARE(stored, (Corner{RoundTwips(expected.x() * 15.0), RoundTwips(expected.y() * 15.0)}));
        }
    }

    void aWindowThatWouldReachBeyondTheScreenIsMovedInOnlyAsFarAsNeeded() {
        QVERIFY(QGuiApplication::primaryScreen());
        const auto [width, height] = WindowPlacer::ScreenTwips(nullptr);
        // At the middle (where an off-screen corner goes) a window larger
        // than the rest of the screen reaches beyond its right and lower edges.
        QWidget big;
        const QRect area = AvailableArea(&big);
        big.resize(area.width() / 2 + 60, area.height() / 2 + 40);
        WindowPlacer placer;
        Corner stored = placer.placeDisplayWindow(&big, {1000000, 0}, kMainWindowMargins);
        const QPoint expected(area.x() + area.width() - big.width(), area.y() + area.height() - big.height());
        QVERIFY(expected.x() < Px(width / 2) && expected.y() < Px(height / 2));
        QCOMPARE(big.pos(), expected);
        QCOMPARE(stored.left, RoundTwips(big.x() * 15.0));
        QCOMPARE(stored.top, RoundTwips(big.y() * 15.0));
        // A window that fits stays exactly where the rule puts it.
        QWidget small;
        small.resize(100, 80);
        const int32_t eighthLeft = width / 8 / 15 * 15;
        const int32_t eighthTop = height / 8 / 15 * 15;
        stored = placer.placeDisplayWindow(&small, {eighthLeft, eighthTop}, kMainWindowMargins);
        QCOMPARE(small.pos(), QPoint(Px(eighthLeft), Px(eighthTop)));
        QCOMPARE(stored, (Corner{eighthLeft, eighthTop}));
    }

    void theCornerToStoreIsThatOfTheRestoredWindow() {
        MainWindow w;
        w.move(40, 60);
        w.showMinimized();
        QCOMPARE(CornerToStore(&w, true), (std::optional<Corner>{Corner{600, 900}}));
        QVERIFY(!(w.windowState() & Qt::WindowMinimized));
        // Where the desktop keeps positions to itself, nothing is stored.
        QCOMPARE(CornerToStore(&w, false), std::nullopt);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_qtest.moc"

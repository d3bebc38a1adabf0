// The start ceremony on ordinary and seasonal dates: which window completes
// the start, what it shows, and which minute becomes the quit moment.
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "session/session.h"
#include "support/session_fixture.h"
#include "support/windows.h"

using namespace kemless;

namespace {

// A new user who has filled in the setup (12 a day, 480 yen, standard size)
// and now sees the ceremony.
struct Program : SessionFixture {
    QByteArray initialBefore, optionBefore;

    Program() {
        clock.moment = {2026, 12, 1, 10, 0};
        start();
        auto* setup = qobject_cast<FirstRunSetup*>(Window("firstRunSetup"));
        QVERIFY(setup);
        setup->perDayBox()->setText(QStringLiteral("12"));
        setup->priceBox()->setText(QStringLiteral("480"));
        setup->confirmButton()->click();
        initialBefore = bytes("initial.ini");
        optionBefore = bytes("option.ini");
    }
    StartCeremony* ceremony() const { return qobject_cast<StartCeremony*>(Window("startCeremony")); }
    SeasonalCeremony* seasonal() const { return qobject_cast<SeasonalCeremony*>(Window("seasonalCeremony")); }
    bool nothingWritten() const {
        return bytes("initial.ini") == initialBefore && bytes("option.ini") == optionBefore;
    }
};

}  // namespace

class CeremonyTest : public QObject {
    Q_OBJECT
private slots:
    void startByDate_data();
    void startByDate();
    void seasonalConfirmedAfterMidnightKeepsFirstMinute();
    void closingSeasonalWindowWritesNothing();
    void keysOfTheCeremonyWhicheverButtonHasThem_data();
    void keysOfTheCeremonyWhicheverButtonHasThem();
    void eachCeremonyIntroducesItself();
};

// `caption` empty: an ordinary date, the ceremony completes the start itself.
// Otherwise the seasonal window shows the row's texts, `pictures` as "010"
// for the left, middle and right sparkle, and the tops of the greeting and
// the second line of the wish in pixels.
void CeremonyTest::startByDate_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("texts");  // heading, greeting, the two lines of the wish
    QTest::addColumn<QString>("pictures");
    QTest::addColumn<int>("greetingTop");
    QTest::addColumn<int>("wishTop");

    const QStringList none;
    const QStringList christmas = {"クリスマス限定スペシャルメッセージ", "メリークリスマス",
                                   "聖なる日の卒煙が", "成功しますように！"};
    const QStringList eve = {"クリスマスイブ限定スペシャルメッセージ", "", "聖なる日の卒煙が",
                             "成功しますように！"};
    const QStringList newYear = {"お正月限定スペシャルメッセージ", "あけましておめでとうございます", "",
                                 "貴方の卒煙が成功しますように！"};
    // Design tops: the greeting at 720 twips, the second wish line at 1560 twips.
    QTest::addRow("23 Dec 23:59 ordinary") << 12 << 23 << 23 << 59 << "" << none << "" << 0 << 0;
    QTest::addRow("24 Dec 00:00 eve")
        << 12 << 24 << 0 << 0 << "クリスマスイブ - Pelorin" << eve << "010" << 48 << 104;
    QTest::addRow("25 Dec christmas")
        << 12 << 25 << 18 << 30 << "メリークリスマス - Pelorin" << christmas << "101" << 48 << 104;
    QTest::addRow("26 Dec ordinary") << 12 << 26 << 0 << 0 << "" << none << "" << 0 << 0;
    QTest::addRow("31 Dec 23:59 ordinary") << 12 << 31 << 23 << 59 << "" << none << "" << 0 << 0;
    QTest::addRow("1 Jan new year") << 1 << 1 << 0 << 0 << "謹賀新年 - Pelorin" << newYear << "000" << 80
                                    << 120;
    QTest::addRow("2 Jan new year") << 1 << 2 << 12 << 0 << "謹賀新年 - Pelorin" << newYear << "000" << 80
                                    << 120;
    QTest::addRow("3 Jan 23:59 new year")
        << 1 << 3 << 23 << 59 << "謹賀新年 - Pelorin" << newYear << "000" << 80 << 120;
    QTest::addRow("4 Jan 00:00 ordinary") << 1 << 4 << 0 << 0 << "" << none << "" << 0 << 0;
}

void CeremonyTest::startByDate() {
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(QString, caption);
    QFETCH(QStringList, texts);
    QFETCH(QString, pictures);
    QFETCH(int, greetingTop);
    QFETCH(int, wishTop);

    Program p;
    StartCeremony* ceremony = p.ceremony();
    QVERIFY(ceremony);
    const int year = month == 1 ? 2027 : 2026;
    p.clock.moment = {year, month, day, hour, minute};
    ceremony->move(150, 60);
    QTest::keyClick(ceremony, Qt::Key_Return);  // Enter starts, as the button does

    const QByteArray expected = QStringLiteral("%1,%2,%3,%4,%5,12,480,85\r\n")
                                    .arg(year)
                                    .arg(month)
                                    .arg(day)
                                    .arg(hour)
                                    .arg(minute)
                                    .toLatin1();
    if (!caption.isEmpty()) {
        QVERIFY(!p.ceremony());
        SeasonalCeremony* seasonal = p.seasonal();
        QVERIFY(seasonal);
        QVERIFY(seasonal->isVisible());
        QVERIFY(p.nothingWritten());
        QVERIFY(!Window("mainWindow"));
        QCOMPARE(seasonal->windowTitle(), caption);
        QCOMPARE(seasonal->heading()->text(), texts[0]);
        QCOMPARE(seasonal->greeting()->text(), texts[1]);
        QCOMPARE(seasonal->wish(0)->text(), texts[2]);
        QCOMPARE(seasonal->wish(1)->text(), texts[3]);
        QString shown;
        for (int i = 0; i < 3; ++i) shown += seasonal->picture(i)->isVisible() ? '1' : '0';
        QCOMPARE(shown, pictures);
        QCOMPARE(seasonal->greeting()->y(), greetingTop);
        QCOMPARE(seasonal->wish(1)->y(), wishTop);

        // A minute later the user confirms; the quit stays at the first click.
        p.clock.moment.minute = (minute + 1) % 60;
        seasonal->startButton()->click();
        QVERIFY(!p.seasonal());
    } else {
        QVERIFY(!p.seasonal());
        QVERIFY(!p.ceremony());
    }

    QCOMPARE(p.bytes("initial.ini"), expected);
    const auto o = p.store().readOption();
    QVERIFY(o);
    QCOMPARE(o->quitStarted, 1);
    QCOMPARE(o->mainLeft, 150 * 15);
    QCOMPARE(o->mainTop, 60 * 15);
    QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
}

void CeremonyTest::seasonalConfirmedAfterMidnightKeepsFirstMinute() {
    Program p;
    p.clock.moment = {2026, 12, 24, 23, 59};
    p.ceremony()->startButton()->click();
    SeasonalCeremony* seasonal = p.seasonal();
    QVERIFY(seasonal);
    QCOMPARE(seasonal->windowTitle(), QStringLiteral("クリスマスイブ - Pelorin"));

    p.clock.moment = {2026, 12, 25, 0, 2};
    QTest::keyClick(seasonal, Qt::Key_Return);

    QVERIFY(!p.seasonal());
    QCOMPARE(p.bytes("initial.ini"), QByteArray("2026,12,24,23,59,12,480,85\r\n"));
    QCOMPARE(p.store().readOption()->quitStarted, 1);
    QCOMPARE(p.session->initial().quit, (CalendarMoment{2026, 12, 24, 23, 59}));
    QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
}

void CeremonyTest::closingSeasonalWindowWritesNothing() {
    Program p;
    p.clock.moment = {2027, 1, 2, 9, 0};
    p.ceremony()->startButton()->click();
    QVERIFY(p.seasonal());
    QVERIFY(p.seasonal()->close());
    QVERIFY(!p.seasonal());
    QVERIFY(!Window("mainWindow"));
    QVERIFY(!AnyWindowVisible());
    QVERIFY(p.nothingWritten());
    QCOMPARE(p.store().readOption()->quitStarted, 0);
    QCOMPARE(p.desktop.messages, QStringList{QString::fromUtf8(kCeremonyDeclinedWords)});
}

// Enter presses the button that has the keyboard: a decline button the user
// chose with Tab declines, and nothing is written. Escape declines on any.
void CeremonyTest::keysOfTheCeremonyWhicheverButtonHasThem_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("starts");
    QTest::addRow("Return on the start button") << "startButton" << int(Qt::Key_Return) << true;
    QTest::addRow("keypad Enter on the start button") << "startButton" << int(Qt::Key_Enter) << true;
    QTest::addRow("Return on もう少し考える") << "thinkMoreButton" << int(Qt::Key_Return) << false;
    QTest::addRow("keypad Enter on また次の機会にする") << "nextTimeButton" << int(Qt::Key_Enter) << false;
    QTest::addRow("Space on また次の機会にする") << "nextTimeButton" << int(Qt::Key_Space) << false;
    QTest::addRow("Escape on the start button") << "startButton" << int(Qt::Key_Escape) << false;
    QTest::addRow("Escape on もう少し考える") << "thinkMoreButton" << int(Qt::Key_Escape) << false;
}

void CeremonyTest::keysOfTheCeremonyWhicheverButtonHasThem() {
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(bool, starts);
    Program p;
    p.clock.moment = {2026, 12, 2, 7, 15};
    auto* target = p.ceremony()->findChild<QPushButton*>(button);
    QVERIFY(target);
    target->setFocus();

    QTest::keyClick(target, Qt::Key(key));

    QVERIFY(!p.ceremony());
    if (starts) {
        QCOMPARE(p.bytes("initial.ini"), QByteArray("2026,12,2,7,15,12,480,85\r\n"));
        QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
        QVERIFY(p.desktop.messages.isEmpty());
    } else {
        QVERIFY(p.nothingWritten());
        QVERIFY(!AnyWindowVisible());
        // A decline says what happens next, once.
        QCOMPARE(p.desktop.messages, QStringList{QString::fromUtf8(kCeremonyDeclinedWords)});
    }
}

// A screen reader hears the window as a dialog that says its welcome and
// question (or the seasonal message) when it comes up, and not the
// sparkles, which are decoration; the captions stay as they are.
void CeremonyTest::eachCeremonyIntroducesItself() {
    Program p;
    p.clock.moment = {2026, 12, 24, 9, 0};
    QAccessibleInterface* ceremony = QAccessible::queryAccessibleInterface(p.ceremony());
    QCOMPARE(ceremony->role(), QAccessible::Dialog);
    QCOMPARE(ceremony->text(QAccessible::Name), QStringLiteral("卒煙の開始"));
    QCOMPARE(ceremony->text(QAccessible::Description),
             QStringLiteral("ようこそケムレスへ これでタバコとは、永遠のサヨナラとなります。 "
                            "今から卒煙を開始しますか？ どうしますか？"));
    QCOMPARE(p.ceremony()->windowTitle(), QStringLiteral(" ( ・◇・)  - lunapo"));
    // The start button keeps its "(CR)" for the eye, not for the ear.
    QCOMPARE(p.ceremony()->startButton()->text(), QStringLiteral("卒煙を開始する(CR)"));
    QCOMPARE(QAccessible::queryAccessibleInterface(p.ceremony()->startButton())->text(QAccessible::Name),
             QStringLiteral("卒煙を開始する"));

    p.ceremony()->startButton()->click();
    QVERIFY(p.seasonal());
    QAccessibleInterface* seasonal = QAccessible::queryAccessibleInterface(p.seasonal());
    QCOMPARE(seasonal->role(), QAccessible::Dialog);
    QCOMPARE(seasonal->text(QAccessible::Name), QStringLiteral("卒煙の開始"));
    QCOMPARE(seasonal->text(QAccessible::Description),
             QStringLiteral("クリスマスイブ限定スペシャルメッセージ 聖なる日の卒煙が成功しますように！"));
    QCOMPARE(p.seasonal()->windowTitle(), QStringLiteral("クリスマスイブ - Pelorin"));
    QCOMPARE(QAccessible::queryAccessibleInterface(p.seasonal()->startButton())->text(QAccessible::Name),
             QStringLiteral("卒煙を開始する"));
    QVERIFY(p.seasonal()->picture(1)->isVisible());
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* sparkle = QAccessible::queryAccessibleInterface(p.seasonal()->picture(i));
        QVERIFY(sparkle->state().invisible);
        QVERIFY(sparkle->text(QAccessible::Name).isEmpty());
    }
}

QTEST_MAIN(CeremonyTest)
#include "ceremony_qtest.moc"

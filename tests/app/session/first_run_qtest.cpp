// A new user's first start: from an empty folder through the setup and the
// start ceremony to the main window, and every way of leaving it early.
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "session/session.h"
#include "support/session_fixture.h"
#include "support/windows.h"

using namespace kemless;

namespace {

const QString kRange = QStringLiteral("有効範囲内にある半角数字を入れてください");

// Typed key by key; QTest has no keys for kana and kanji, so those are inserted.
void Type(QLineEdit* box, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(box, c.toLatin1());
        else
            box->insert(QString(c));
    }
}

struct Program : SessionFixture {
    Program() {
        clock.moment = {2026, 10, 5, 8, 30};
        make();
    }
    FirstRunSetup* setup() const { return qobject_cast<FirstRunSetup*>(Window("firstRunSetup")); }
    StartCeremony* ceremony() const { return qobject_cast<StartCeremony*>(Window("startCeremony")); }
};

}  // namespace

class FirstRunSetupTest : public QObject {
    Q_OBJECT
private slots:
    void emptyFolderOpensSetup();
    void confirmation_data();
    void confirmation();
    void keyboardOnlySetup();
    void whatAScreenReaderIsToldAndTheArrows();
    void declineWritesNothing_data();
    void declineWritesNothing();
    void closingSetupWritesNothing_data();
    void closingSetupWritesNothing();
    void secondCopyEnds_data();
    void secondCopyEnds();
};

void FirstRunSetupTest::emptyFolderOpensSetup() {
    Program p;
    p.session->start();
    QCOMPARE(p.bytes("initial.ini"), QByteArray("2026,10,5,8,30,20,300,85\r\n"));
    const auto o = p.store().readOption();
    QVERIFY(o);
    QCOMPARE(*o, DefaultOptionSettings());

    FirstRunSetup* setup = p.setup();
    QVERIFY(setup);
    QVERIFY(setup->isVisible());
    QCOMPARE(setup->windowTitle(), QStringLiteral(" ケムレス初期設定 - lunapo"));
    QVERIFY(setup->perDayBox()->text().isEmpty());
    QVERIFY(setup->priceBox()->text().isEmpty());
    QCOMPARE(setup->perDayBox()->maxLength(), 3);
    QCOMPARE(setup->priceBox()->maxLength(), 4);
    QVERIFY(setup->sizeButton(1)->isChecked());
    QVERIFY(!setup->sizeButton(0)->isChecked());
    QVERIFY(!setup->sizeButton(2)->isChecked());
    QVERIFY(!Window("mainWindow"));
    QVERIFY(!Window("miniWindow"));
    QVERIFY(p.desktop.messages.isEmpty());
}

// Accepted rows go on through the ceremony: `initialLine` is what initial.ini
// holds once the quit has started (empty for a refused setup).
void FirstRunSetupTest::confirmation_data() {
    QTest::addColumn<QString>("perDay");
    QTest::addColumn<QString>("price");
    QTest::addColumn<int>("size");  // the size button clicked, -1 none
    QTest::addColumn<bool>("enterInPrice");
    QTest::addColumn<QByteArray>("initialLine");

    // clang-format off
    QTest::addRow("empty boxes: one message") << "" << "" << -1 << false << QByteArray();
    QTest::addRow("201 a day") << "201" << "300" << -1 << false << QByteArray();
    QTest::addRow("2001 yen") << "20" << "2001" << -1 << false << QByteArray();
    QTest::addRow("0 a day") << "0" << "300" << -1 << false << QByteArray();
    QTest::addRow("letters for the price") << "20" << "abc" << -1 << false << QByteArray();
    QTest::addRow("both out of range: one message") << "999" << "0" << -1 << true << QByteArray();
    QTest::addRow("200 and 2000, size untouched") << "200" << "2000" << -1 << false << QByteArray("2026,11,5,7,8,200,2000,85\r\n");
    QTest::addRow("1 and 1, short") << "1" << "1" << 0 << false << QByteArray("2026,11,5,7,8,1,1,50\r\n");
    QTest::addRow("20本 is 20, long") << "20本" << "440" << 2 << false << QByteArray("2026,11,5,7,8,20,440,100\r\n");
    QTest::addRow("Enter in the price box") << "15" << "520" << -1 << true << QByteArray("2026,11,5,7,8,15,520,85\r\n");
    // clang-format on
}

void FirstRunSetupTest::confirmation() {
    QFETCH(QString, perDay);
    QFETCH(QString, price);
    QFETCH(int, size);
    QFETCH(bool, enterInPrice);
    QFETCH(QByteArray, initialLine);

    Program p;
    p.session->start();
    FirstRunSetup* setup = p.setup();
    QVERIFY(setup);
    const QByteArray initialBefore = p.bytes("initial.ini");
    const QByteArray optionBefore = p.bytes("option.ini");
    Type(setup->perDayBox(), perDay);
    Type(setup->priceBox(), price);
    if (size >= 0) setup->sizeButton(size)->click();
    if (enterInPrice)
        QTest::keyClick(setup->priceBox(), Qt::Key_Return);
    else
        setup->confirmButton()->click();

    if (initialLine.isEmpty()) {
        QCOMPARE(p.desktop.messages, QStringList{kRange});
        QVERIFY(p.setup() && p.setup()->isVisible());
        QCOMPARE(p.setup()->perDayBox()->text(), perDay);  // the input stays
        QVERIFY(!p.ceremony());
        QCOMPARE(p.bytes("initial.ini"), initialBefore);
        QCOMPARE(p.bytes("option.ini"), optionBefore);
        return;
    }

    // Handed over to the ceremony; nothing written yet.
    QVERIFY(p.desktop.messages.isEmpty());
    QVERIFY(!p.setup());
    StartCeremony* ceremony = p.ceremony();
    QVERIFY(ceremony);
    QVERIFY(ceremony->isVisible());
    QCOMPARE(ceremony->windowTitle(), QStringLiteral(" ( ・◇・)  - lunapo"));
    QCOMPARE(p.bytes("initial.ini"), initialBefore);
    QCOMPARE(p.bytes("option.ini"), optionBefore);
    QVERIFY(!Window("mainWindow"));

    // Started a month later in a minute of its own, elsewhere on the screen.
    p.clock.moment = {2026, 11, 5, 7, 8};
    ceremony->move(210, 90);
    ceremony->startButton()->click();

    QCOMPARE(p.bytes("initial.ini"), initialLine);
    const auto o = p.store().readOption();
    QVERIFY(o);
    QCOMPARE(o->quitStarted, 1);
    QCOMPARE(o->mainLeft, 210 * 15);
    QCOMPARE(o->mainTop, 90 * 15);
    QVERIFY(!p.ceremony());
    QVERIFY(!Window("seasonalCeremony"));
    QWidget* main = Window("mainWindow");
    QVERIFY(main);
    QVERIFY(main->isVisible());
    QCOMPARE(main->pos(), QPoint(210, 90));
    QVERIFY(!Window("miniWindow"));
    QVERIFY(p.desktop.messages.isEmpty());

    // The next start goes straight to the display windows.
    p.session.reset();
    QVERIFY(!Window("mainWindow"));
    p.session = std::make_unique<Session>(p.clock, p.desktop, p.process, p.dir.path().toStdString());
    p.session->start();
    QVERIFY(!p.setup());
    QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
}

// Typed without the mouse: the first box has the focus, Tab moves to the
// price, Enter confirms.
void FirstRunSetupTest::keyboardOnlySetup() {
    Program p;
    p.session->start();
    FirstRunSetup* setup = p.setup();
    QVERIFY(setup);
    setup->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(setup));
    QCOMPARE(QApplication::focusWidget(), setup->perDayBox());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("40"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), setup->priceBox());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("520"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QVERIFY(p.desktop.messages.isEmpty());
    QVERIFY(p.ceremony());
    QCOMPARE(p.session->initial().cigarettesPerDay, 40);
    QCOMPARE(p.session->initial().packPrice, 520);
    QCOMPARE(p.session->initial().cigaretteSize, 85);
}

// A screen reader hears the window say what it asks, each box with its
// label and the hint shown above it, the size buttons with their group;
// Up and Down move the size as Left and Right do, and Enter on the button
// presses it.
void FirstRunSetupTest::whatAScreenReaderIsToldAndTheArrows() {
    Program p;
    p.session->start();
    FirstRunSetup* setup = p.setup();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(setup);
    QCOMPARE(window->role(), QAccessible::Dialog);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("ケムレス初期設定"));
    QCOMPARE(window->text(QAccessible::Description), QStringLiteral("初期値を設定してください"));
    QCOMPARE(QAccessible::queryAccessibleInterface(setup->perDayBox())->text(QAccessible::Description),
             QStringLiteral("（１から２００までの半角数字で記入）"));
    QCOMPARE(QAccessible::queryAccessibleInterface(setup->priceBox())->text(QAccessible::Description),
             QStringLiteral("（１から２０００の半角数字で記入）"));
    QCOMPARE(QAccessible::queryAccessibleInterface(setup->sizeButton(1))->text(QAccessible::Name),
             QStringLiteral("あなたの吸っているタバコのサイズ　スタンダード"));

    setup->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(setup));
    setup->sizeButton(1)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(setup->sizeButton(1), Qt::Key_Down);
    QVERIFY(setup->sizeButton(2)->isChecked());
    QCOMPARE(QApplication::focusWidget(), setup->sizeButton(2));
    QTest::keyClick(setup->sizeButton(2), Qt::Key_Down);  // round to the first
    QVERIFY(setup->sizeButton(0)->isChecked());
    QTest::keyClick(setup->sizeButton(0), Qt::Key_Up);
    QVERIFY(setup->sizeButton(2)->isChecked());

    setup->perDayBox()->setText(QStringLiteral("40"));
    setup->priceBox()->setText(QStringLiteral("520"));
    setup->confirmButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(setup->confirmButton(), Qt::Key_Return);
    QVERIFY(p.ceremony());
    QCOMPARE(p.session->initial().cigaretteSize, 100);
}

void FirstRunSetupTest::declineWritesNothing_data() {
    QTest::addColumn<int>("decline");
    QTest::addRow("もう少し考える") << 0;
    QTest::addRow("また次の機会にする") << 1;
}

void FirstRunSetupTest::declineWritesNothing() {
    QFETCH(int, decline);
    Program p;
    p.session->start();
    QTest::keyClicks(p.setup()->perDayBox(), QStringLiteral("30"));
    QTest::keyClicks(p.setup()->priceBox(), QStringLiteral("500"));
    p.setup()->confirmButton()->click();
    QVERIFY(p.ceremony());
    const QByteArray initialBefore = p.bytes("initial.ini");
    const QByteArray optionBefore = p.bytes("option.ini");

    p.clock.moment = {2026, 10, 5, 8, 31};
    p.ceremony()->declineButton(decline)->click();

    QVERIFY(!p.ceremony());
    QVERIFY(!Window("mainWindow"));
    QVERIFY(!AnyWindowVisible());
    QCOMPARE(p.bytes("initial.ini"), initialBefore);
    QCOMPARE(p.bytes("option.ini"), optionBefore);
    QCOMPARE(p.store().readOption()->quitStarted, 0);

    // The next start begins with the setup again.
    p.session = std::make_unique<Session>(p.clock, p.desktop, p.process, p.dir.path().toStdString());
    p.session->start();
    QVERIFY(p.setup() && p.setup()->isVisible());
    QVERIFY(p.setup()->perDayBox()->text().isEmpty());
}

void FirstRunSetupTest::closingSetupWritesNothing_data() {
    QTest::addColumn<bool>("escape");
    QTest::addRow("close box") << false;
    // Escape does what the close box does, from the box it is typed in.
    QTest::addRow("Escape") << true;
}

void FirstRunSetupTest::closingSetupWritesNothing() {
    QFETCH(bool, escape);
    Program p;
    p.session->start();
    const QByteArray initialBefore = p.bytes("initial.ini");
    const QByteArray optionBefore = p.bytes("option.ini");
    QTest::keyClicks(p.setup()->perDayBox(), QStringLiteral("30"));
    QTest::keyClicks(p.setup()->priceBox(), QStringLiteral("500"));
    if (escape)
        QTest::keyClick(p.setup()->priceBox(), Qt::Key_Escape);
    else
        QVERIFY(p.setup()->close());
    QVERIFY(!p.setup());
    QVERIFY(!AnyWindowVisible());
    QCOMPARE(p.bytes("initial.ini"), initialBefore);
    QCOMPARE(p.bytes("option.ini"), optionBefore);
}

void FirstRunSetupTest::secondCopyEnds_data() {
    QTest::addColumn<bool>("filesExist");
    QTest::addRow("empty folder") << false;
    QTest::addRow("setup still pending") << true;
}

void FirstRunSetupTest::secondCopyEnds() {
    QFETCH(bool, filesExist);
    Program p;
    QByteArray initialBefore, optionBefore;
    if (filesExist) {
        SettingsStore store = p.store();
        store.ensureDataFolder();
        QVERIFY(store.writeInitial({2020, 2, 3, 4, 5, 10, 400, kLong}));
        OptionSettings o;
        o.linkUrl = "mine.example/";
        QVERIFY(store.writeOption(o));
        initialBefore = p.bytes("initial.ini");
        optionBefore = p.bytes("option.ini");
    }
    p.process.singleInstance = false;

    QVERIFY_THROWS_EXCEPTION(Terminated, p.session->start());

    QCOMPARE(p.desktop.messages, QStringList{QStringLiteral("プログラムは既に起動されています。")});
    QCOMPARE(p.process.terminations, 1);
    QVERIFY(!p.setup());
    QVERIFY(!AnyWindowVisible());
    if (filesExist) {
        QCOMPARE(p.bytes("initial.ini"), initialBefore);
        QCOMPARE(p.bytes("option.ini"), optionBefore);
    } else {
        // The one running copy is claimed first: a later start (which may
        // name another data folder) makes nothing.
        QVERIFY(!QFileInfo::exists(QString::fromStdString(p.store().dataFolder())));
    }
}

QTEST_MAIN(FirstRunSetupTest)
#include "first_run_qtest.moc"

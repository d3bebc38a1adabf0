// The settings dialog as the user meets it: opened by a display window that
// has just unloaded, saved, cancelled, and its colour and copy-plus controls.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "desktop/colors.h"
#include "desktop/twips.h"
#include "dialogs/settings_dialog.h"
#include "session/session.h"
#include "support/session_fixture.h"
#include "support/windows.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"

using namespace kemless;

namespace {

const QString kRange = QStringLiteral("有効範囲内にある半角数字を入れてください");
const QString kFuture = QStringLiteral("現在より未来の日時は設定できません");

// A started program whose display window has just opened the settings dialog;
// the clock stands at 10 December 2026 12:00.
struct Program : SessionFixture {
    SettingsDialog* dialog = nullptr;

    explicit Program(int windowMode, int copyPlusMode = 0, Corner mainCorner = {1500, 3000}) {
        OptionSettings o;
        o.copyPlusMode = copyPlusMode;
        o.mainLeft = mainCorner.left;
        o.mainTop = mainCorner.top;
        o.miniLeft = 600;
        o.miniTop = 450;
        o.backColor = Rgb::FromBgr(0x102030);
        o.foreColor = Rgb::FromBgr(0xF0E0D0);
        o.linkUrl = "old.example/";
        o.windowMode = static_cast<WindowMode>(windowMode);
        o.statusMode = "コスモ";
        writeStarted({2010, 1, 2, 3, 4, 20, 300, kStandard}, o);
        start();
        OpenSettings(*session);
        dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
    }
    void click(const char* button) const { dialog->findChild<QPushButton*>(QLatin1String(button))->click(); }
    void type(const QString& box, const QString& text) const {
        auto* edit = dialog->findChild<QLineEdit*>(box);
        QVERIFY2(edit, qPrintable(box));
        edit->setText(text);
    }
};

// Every box of the dialog valid, differing from the stored profile.
const QStringList kValidForm = {"quitYearBox=2020", "quitMonthBox=6",   "quitDayBox=15",
                                "quitHourBox=9",    "quitMinuteBox=45", "perDayBox=25",
                                "priceBox=450",     "taxRateBox=60",    "smokingYearsBox=10"};

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void opensFilledWhereTheMainWindowStood_data();
    void opensFilledWhereTheMainWindowStood();
    void saveValidation_data();
    void saveValidation();
    void savedSettingsReachFilesAndReopenWindow_data();
    void savedSettingsReachFilesAndReopenWindow();
    void enterInLinkBoxSaves();
    void linkAddressTrimmedAndUnquoted();
    void cancelAfterPickingColour_data();
    void cancelAfterPickingColour();
    void colourPickSurvivesTheNotice();
    void aFailedSaveSaysSoAndKeepsTheChangeForThisRun();
    void colourChooserPresetAndSample_data();
    void colourChooserPresetAndSample();
    void smokingYearsBoxFollowsCopyPlus_data();
    void smokingYearsBoxFollowsCopyPlus();
    void statusListOffersTheFourModes();
    void escapeCancels();
    void keysByTheControlThatHasTheKeyboard_data();
    void keysByTheControlThatHasTheKeyboard();
    void whatAScreenReaderIsTold();
    void theSelectionTabMakesIsNotSaid();
    void theStatusListSaysItsChoiceAndEveryChange();
    void openStatusListKeepsItsKeys_data();
    void openStatusListKeepsItsKeys();
    void keysOfTheHelpWindowStayThere();
    void keyboardStartsInTheYearAndTabFollowsTheReadingOrder_data();
    void keyboardStartsInTheYearAndTabFollowsTheReadingOrder();
    void arrowsMoveTheSelectionOfAnOptionGroup();
    void staysOnTheScreenWhereverTheMainWindowStood_data();
    void staysOnTheScreenWhereverTheMainWindowStood();
    void isCompact();
};

void SettingsDialogTest::opensFilledWhereTheMainWindowStood_data() {
    QTest::addColumn<int>("windowMode");
    QTest::addRow("from the main window") << 0;
    QTest::addRow("from the mini window") << 1;
}

void SettingsDialogTest::opensFilledWhereTheMainWindowStood() {
    QFETCH(int, windowMode);
    Program p(windowMode, 1);
    QVERIFY(p.dialog);
    QVERIFY(p.dialog->isVisible());
    QVERIFY(!Window("mainWindow"));
    QVERIFY(!Window("miniWindow"));
    QCOMPARE(p.dialog->windowTitle(),
             QStringLiteral(" 設定ウィンドウ - 全て半角で記入してください - lunapo"));
    const OptionSettings& o = p.session->options();
    QCOMPARE(p.dialog->pos(), QPoint(o.mainLeft / 15, o.mainTop / 15));
    QCOMPARE(p.dialog->pos(), QPoint(100, 200));

    const QStringList quit = {"2010", "1", "2", "3", "4"};
    for (int i = 0; i < 5; ++i) QCOMPARE(p.dialog->quitBox(i)->text(), quit[i]);
    QCOMPARE(p.dialog->perDayBox()->text(), QStringLiteral("20"));
    QCOMPARE(p.dialog->priceBox()->text(), QStringLiteral("300"));
    QVERIFY(p.dialog->sizeButton(1)->isChecked());
    QVERIFY(p.dialog->copyPlusButton(1)->isChecked());
    QCOMPARE(p.dialog->taxRateBox()->text(), QStringLiteral("58"));
    QCOMPARE(p.dialog->smokingYearsBox()->text(), QStringLiteral("5"));
    QVERIFY(p.dialog->boxCountCheck()->isChecked());
    QCOMPARE(p.dialog->linkBox()->text(), QStringLiteral("old.example/"));
    QCOMPARE(p.dialog->statusModeList()->currentText(), QStringLiteral("コスモ"));
}

// Each row edits a valid form and saves it. `initialLine` is what initial.ini
// holds afterwards (empty: unchanged); option.ini is rewritten only when the
// whole save succeeds.
void SettingsDialogTest::saveValidation_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("initialLine");
    QTest::addColumn<bool>("optionWritten");
    QTest::addColumn<int>("tax");

    const QByteArray valid = "2020,6,15,9,45,25,450,85\r\n";
    auto refused = [](const char* name, QStringList edits, const QString& message) {
        QTest::addRow("%s", name) << edits << message << QByteArray() << false << 0;
    };
    auto accepted = [](const char* name, QStringList edits, const QByteArray& line, int tax = 60) {
        QTest::addRow("%s", name) << edits << QString() << line << true << tax;
    };
    auto optionRefused = [&](const char* name, QStringList edits) {
        QTest::addRow("%s", name) << edits << kRange << valid << false << 0;
    };

    refused("29 Feb 1900 (not a leap year)", {"quitYearBox=1900", "quitMonthBox=2", "quitDayBox=29"}, kRange);
    accepted("29 Feb 2000 (leap year)", {"quitYearBox=2000", "quitMonthBox=2", "quitDayBox=29"},
             "2000,2,29,9,45,25,450,85\r\n");
    refused("29 Feb 2023", {"quitYearBox=2023", "quitMonthBox=2", "quitDayBox=29"}, kRange);
    accepted("29 Feb 2024", {"quitYearBox=2024", "quitMonthBox=2", "quitDayBox=29"},
             "2024,2,29,9,45,25,450,85\r\n");
    refused("31 April", {"quitMonthBox=4", "quitDayBox=31"}, kRange);
    accepted("31 May", {"quitMonthBox=5", "quitDayBox=31"}, "2020,5,31,9,45,25,450,85\r\n");
    refused("one minute in the future",
            {"quitYearBox=2026", "quitMonthBox=12", "quitDayBox=10", "quitHourBox=12", "quitMinuteBox=1"},
            kFuture);
    accepted("the current minute",
             {"quitYearBox=2026", "quitMonthBox=12", "quitDayBox=10", "quitHourBox=12", "quitMinuteBox=0"},
             "2026,12,10,12,0,25,450,85\r\n");
    refused("year 1899 is out of range, not future", {"quitYearBox=1899"}, kRange);
    refused("next year is out of range, not future", {"quitYearBox=2027"}, kRange);
    refused("future day with a bad price: range first",
            {"quitYearBox=2026", "quitMonthBox=12", "quitDayBox=11", "priceBox=0"}, kRange);
    refused("hour 24", {"quitHourBox=24"}, kRange);
    refused("minute 60", {"quitMinuteBox=60"}, kRange);
    refused("0 a day", {"perDayBox=0"}, kRange);
    refused("201 a day", {"perDayBox=201"}, kRange);
    refused("0 yen", {"priceBox=0"}, kRange);
    refused("2001 yen", {"priceBox=2001"}, kRange);
    accepted("200 a day and 2000 yen", {"perDayBox=200", "priceBox=2000"}, "2020,6,15,9,45,200,2000,85\r\n");
    accepted("20本 a day reads as 20", {"perDayBox=20本"}, "2020,6,15,9,45,20,450,85\r\n");
    accepted("tax 100", {"taxRateBox=100"}, valid, 100);
    accepted("tax 0", {"taxRateBox=0"}, valid, 0);
    accepted("tax 58.5 rounds down", {"taxRateBox=58.5"}, valid, 58);
    accepted("tax 57.9 rounds down", {"taxRateBox=57.9"}, valid, 57);
    optionRefused("tax 101", {"taxRateBox=101"});
    optionRefused("tax -1", {"taxRateBox=-1"});
    optionRefused("tax letters", {"taxRateBox=abc"});
    optionRefused("tax empty", {"taxRateBox="});
    optionRefused("smoking years 0 with OFF", {"smokingYearsBox=0"});
    optionRefused("smoking years empty", {"smokingYearsBox="});
}

void SettingsDialogTest::saveValidation() {
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    QFETCH(QByteArray, initialLine);
    QFETCH(bool, optionWritten);
    QFETCH(int, tax);

    Program p(0);
    QVERIFY(p.dialog);
    QVERIFY(p.dialog->copyPlusButton(0)->isChecked());
    const QByteArray initialBefore = p.bytes("initial.ini");
    const QByteArray optionBefore = p.bytes("option.ini");
    const InitialSettings inMemoryBefore = p.session->initial();
    for (const QString& e : kValidForm + edits) p.type(e.section('=', 0, 0), e.section('=', 1));

    p.click("saveButton");

    QCOMPARE(p.desktop.messages, message.isEmpty() ? QStringList() : QStringList{message});
    if (!optionWritten && !initialLine.isEmpty()) {
        // Refused for an option, the profile is taken but nothing is written
        // while the dialog is open; it reaches initial.ini however the
        // dialog ends.
        QCOMPARE(p.bytes("initial.ini"), initialBefore);
        QCOMPARE(p.bytes("option.ini"), optionBefore);
        QVERIFY(Window("settingsDialog") && Window("settingsDialog")->isVisible());
        p.click("cancelButton");
        QCOMPARE(p.bytes("initial.ini"), initialLine);
        QCOMPARE(p.bytes("option.ini"), optionBefore);
        QVERIFY(!Window("settingsDialog"));
        return;
    }
    QCOMPARE(p.bytes("initial.ini"), initialLine.isEmpty() ? initialBefore : initialLine);
    if (initialLine.isEmpty()) QCOMPARE(p.session->initial(), inMemoryBefore);
    if (optionWritten) {
        const auto o = p.store().readOption();
        QVERIFY(o);
        QCOMPARE(o->taxRatePercent, tax);
        QCOMPARE(o->smokingYears, 10);
        QVERIFY(!Window("settingsDialog"));
        QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
    } else {
        QCOMPARE(p.bytes("option.ini"), optionBefore);
        QVERIFY(Window("settingsDialog") && Window("settingsDialog")->isVisible());
        QVERIFY(!Window("mainWindow"));
    }
}

void SettingsDialogTest::savedSettingsReachFilesAndReopenWindow_data() {
    QTest::addColumn<int>("windowMode");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("hidden");
    // clang-format off
    QTest::addRow("main window mode 0") << 0 << "mainWindow" << "";
    QTest::addRow("mini window mode 1") << 1 << "miniWindow" << "mainWindow";
    QTest::addRow("main window mode 2 (mini never opened)") << 2 << "mainWindow" << "";
    // clang-format on
}

void SettingsDialogTest::savedSettingsReachFilesAndReopenWindow() {
    QFETCH(int, windowMode);
    QFETCH(QString, shown);
    QFETCH(QString, hidden);

    Program p(windowMode);
    QVERIFY(p.dialog);
    for (const QString& e : kValidForm) p.type(e.section('=', 0, 0), e.section('=', 1));
    p.dialog->sizeButton(2)->click();
    p.dialog->copyPlusButton(2)->click();
    p.dialog->boxCountCheck()->setChecked(false);
    p.dialog->statusModeList()->setCurrentIndex(3);
    p.type("linkBox", "blog.example/me");
    p.dialog->move(123, 45);  // the user dragged the dialog

    p.click("saveButton");

    QVERIFY(p.desktop.messages.isEmpty());
    QCOMPARE(p.bytes("initial.ini"), QByteArray("2020,6,15,9,45,25,450,100\r\n"));
    const auto o = p.store().readOption();
    QVERIFY(o);
    QVERIFY(o->quitStarted);
    QCOMPARE(o->taxRatePercent, 60);
    QCOMPARE(o->smokingYears, 10);
    QCOMPARE(o->copyPlusMode, 2);
    QVERIFY(!o->showBoxCount);
    QCOMPARE(o->statusMode, std::string("日本旅行"));
    QCOMPARE(o->linkUrl, std::string("blog.example/me"));
    QCOMPARE(o->mainLeft, 123 * 15);
    QCOMPARE(o->mainTop, 45 * 15);
    QCOMPARE(o->windowMode, static_cast<WindowMode>(windowMode));
    QCOMPARE(o->backColor, Rgb::FromBgr(0x102030));
    QCOMPARE(o->foreColor, Rgb::FromBgr(0xF0E0D0));

    QVERIFY(!Window("settingsDialog"));
    QWidget* open = Window(qPrintable(shown));
    QVERIFY(open);
    QVERIFY(open->isVisible());
    if (!hidden.isEmpty()) {
        QWidget* loaded = Window(qPrintable(hidden));
        QVERIFY(loaded);
        QVERIFY(!loaded->isVisible());
    }
    // The main window opens where the dialog stood.
    if (shown == QLatin1String("mainWindow")) QCOMPARE(open->pos(), QPoint(123, 45));
}

void SettingsDialogTest::enterInLinkBoxSaves() {
    Program p(0);
    QVERIFY(p.dialog);
    p.type("quitYearBox", "2019");
    p.dialog->linkBox()->setFocus();
    QTest::keyClick(p.dialog->linkBox(), Qt::Key_Return);
    QVERIFY(p.desktop.messages.isEmpty());
    QCOMPARE(p.bytes("initial.ini"), QByteArray("2019,1,2,3,4,20,300,85\r\n"));
    QVERIFY(!Window("settingsDialog"));
    QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
}

void SettingsDialogTest::linkAddressTrimmedAndUnquoted() {
    Program p(0);
    QVERIFY(p.dialog);
    p.type("linkBox", "  my.blog.example/\"x\"/page  ");
    p.click("saveButton");
    QVERIFY(p.desktop.messages.isEmpty());
    const auto o = p.store().readOption();
    QVERIFY(o);
    QCOMPARE(o->linkUrl, std::string("my.blog.example/x/page"));
    QCOMPARE(o->statusMode, std::string("コスモ"));  // read back past the address
}

void SettingsDialogTest::cancelAfterPickingColour_data() {
    QTest::addColumn<int>("windowMode");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("colourKept");
    QTest::addRow("main window mode drops it") << 0 << "mainWindow" << false;
    QTest::addRow("mini window mode keeps it") << 1 << "miniWindow" << true;
}

void SettingsDialogTest::cancelAfterPickingColour() {
    QFETCH(int, windowMode);
    QFETCH(QString, shown);
    QFETCH(bool, colourKept);

    Program p(windowMode);
    QVERIFY(p.dialog);
    const QByteArray optionBefore = p.bytes("option.ini");
    const QByteArray initialBefore = p.bytes("initial.ini");
    p.desktop.colorAnswers.push_back(QColor(0x11, 0x22, 0x33));
    p.type("quitYearBox", "2001");  // an edit that cancel must drop
    p.click("backColorButton");
    QCOMPARE(p.dialog->editedOptions().backColor, Rgb::FromBgr(0x332211));

    p.click("cancelButton");

    QVERIFY(!Window("settingsDialog"));
    QVERIFY(Window(qPrintable(shown)) && Window(qPrintable(shown))->isVisible());
    QCOMPARE(p.bytes("option.ini"), optionBefore);
    QCOMPARE(p.bytes("initial.ini"), initialBefore);
    QCOMPARE(p.session->initial().quit.year, 2010);
    QCOMPARE(p.session->options().backColor, Rgb::FromBgr(colourKept ? 0x332211 : 0x102030));

    // What stayed in memory reaches the file with the next write.
    Window(qPrintable(shown))->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto o = p.store().readOption();
    QVERIFY(o);
    QCOMPARE(o->backColor, Rgb::FromBgr(colourKept ? 0x332211 : 0x102030));
}

void SettingsDialogTest::colourPickSurvivesTheNotice() {
    Program p(0);
    QVERIFY(p.dialog);
    p.desktop.colorAnswers.push_back(QColor(0x11, 0x22, 0x33));
    p.click("backColorButton");
    p.click("noticeButton");
    QWidget* notice = Window("noticeWindow");
    QVERIFY(notice);
    notice->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* again = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
    QVERIFY(again);
    QCOMPARE(again->colorSample()->palette().color(QPalette::Window), QColor(0x11, 0x22, 0x33));
    // Nothing reached the program's records before a save.
    QCOMPARE(p.session->options().backColor, Rgb::FromBgr(0x102030));
}

void SettingsDialogTest::aFailedSaveSaysSoAndKeepsTheChangeForThisRun() {
    Program p(0);
    QVERIFY(p.dialog);
    // option.ini cannot be written (root-proof: a folder takes its place).
    const QString option = p.dir.path() + QStringLiteral("/kemlessdata/option.ini");
    QVERIFY(QFile::remove(option));
    QVERIFY(QDir().mkpath(option + QStringLiteral("/keep")));
    for (const QString& e : kValidForm) p.type(e.section('=', 0, 0), e.section('=', 1));

    p.click("saveButton");

    QCOMPARE(p.desktop.messages.size(), 1);
    QVERIFY(p.desktop.messages.first().startsWith(QStringLiteral("設定を保存できませんでした。")));
    QVERIFY(p.desktop.messages.first().contains(QStringLiteral("kemlessdata")));
    QVERIFY(QFileInfo(option).isDir());
    // The main window runs on what was typed, not on what the files hold.
    QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
    QCOMPARE(p.session->initial().quit, (CalendarMoment{2020, 6, 15, 9, 45}));
    QCOMPARE(p.session->options().taxRatePercent, 60);
}

void SettingsDialogTest::colourChooserPresetAndSample_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("background");
    QTest::addRow("text colour") << "textColorButton" << false;
    QTest::addRow("background colour") << "backColorButton" << true;
}

void SettingsDialogTest::colourChooserPresetAndSample() {
    QFETCH(QString, button);
    QFETCH(bool, background);

    Program p(0);
    QVERIFY(p.dialog);
    const QPalette::ColorRole role = background ? QPalette::Window : QPalette::WindowText;
    const QColor stored = background ? QColor(0x30, 0x20, 0x10) : QColor(0xD0, 0xE0, 0xF0);
    QCOMPARE(p.dialog->colorSample()->palette().color(role), stored);

    // A cancelled chooser changes nothing.
    p.click(qPrintable(button));
    QCOMPARE(p.desktop.colorOffered, QList<QColor>{stored});
    QCOMPARE(p.dialog->colorSample()->palette().color(role), stored);

    const QColor picked(0x12, 0x34, 0x56);
    p.desktop.colorAnswers.push_back(picked);
    p.click(qPrintable(button));
    QCOMPARE(p.desktop.colorOffered.last(), stored);
    QCOMPARE(p.dialog->colorSample()->palette().color(role), picked);
    const OptionSettings& o = p.dialog->editedOptions();
    QCOMPARE(background ? o.backColor : o.foreColor, Rgb::FromBgr(0x563412));
    QCOMPARE(background ? o.foreColor : o.backColor, Rgb::FromBgr(background ? 0xF0E0D0 : 0x102030));

    // Offered again, the chooser starts from the colour just picked.
    p.click(qPrintable(button));
    QCOMPARE(p.desktop.colorOffered.last(), picked);

    p.click("saveButton");
    const auto saved = p.store().readOption();
    QVERIFY(saved);
    QCOMPARE(background ? saved->backColor : saved->foreColor, Rgb::FromBgr(0x563412));
}

void SettingsDialogTest::smokingYearsBoxFollowsCopyPlus_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<bool>("enabledAtLoad");
    QTest::addColumn<bool>("enabledAfter");
    QTest::addRow("OFF stored, ON+ clicked") << 0 << 2 << false << true;
    QTest::addRow("ON stored, ON+ clicked") << 1 << 2 << false << true;
    QTest::addRow("ON+ stored, OFF clicked") << 2 << 0 << true << false;
    QTest::addRow("ON+ stored, ON clicked") << 2 << 1 << true << false;
    QTest::addRow("ON+ stored, ON+ clicked again") << 2 << 2 << true << true;
}

void SettingsDialogTest::smokingYearsBoxFollowsCopyPlus() {
    QFETCH(int, stored);
    QFETCH(int, clicked);
    QFETCH(bool, enabledAtLoad);
    QFETCH(bool, enabledAfter);

    Program p(0, stored);
    QVERIFY(p.dialog);
    QVERIFY(p.dialog->copyPlusButton(stored)->isChecked());
    QCOMPARE(p.dialog->smokingYearsBox()->isEnabled(), enabledAtLoad);
    p.dialog->copyPlusButton(clicked)->click();
    QCOMPARE(p.dialog->smokingYearsBox()->isEnabled(), enabledAfter);
}

void SettingsDialogTest::statusListOffersTheFourModes() {
    Program p(0);
    QVERIFY(p.dialog);
    QComboBox* list = p.dialog->statusModeList();
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    QCOMPARE(items, (QStringList{"ソルジャー", "コスモ", "会社モード", "日本旅行"}));
    QVERIFY(!list->isEditable());

    // Typing does not add a fifth mode; it at most selects one of the four.
    list->setFocus();
    QTest::keyClicks(list, QStringLiteral("xyz"));
    QCOMPARE(list->count(), 4);
    QVERIFY(items.contains(list->currentText()));
}

void SettingsDialogTest::escapeCancels() {
    Program p(0);
    const QByteArray initialBefore = p.bytes("initial.ini");
    const QByteArray optionBefore = p.bytes("option.ini");
    p.type(QStringLiteral("perDayBox"), QStringLiteral("99"));
    QTest::keyClick(p.dialog->perDayBox(), Qt::Key_Escape);
    QVERIFY(!Window("settingsDialog"));
    QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
    QCOMPARE(p.bytes("initial.ini"), initialBefore);
    QCOMPARE(p.bytes("option.ini"), optionBefore);
    QVERIFY(p.desktop.messages.isEmpty());
}

// What a key does, by the control that has the keyboard. Enter on a button
// presses that button: the user chose it with Tab. Enter anywhere else
// saves, and Escape anywhere cancels. Cancelling, or a button that opens
// another window, keeps both files byte for byte, also with changes made in
// the dialog (the year and the size here).
void SettingsDialogTest::keysByTheControlThatHasTheKeyboard_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("outcome");
    const char* fields[] = {"quitMinuteBox", "statusModeList", "longSizeButton", "boxCountCheck",
                            "copyPlusOffButton"};
    for (const char* control : fields) {
        QTest::addRow("Return in %s saves", control) << control << int(Qt::Key_Return) << "saved";
        QTest::addRow("Escape in %s cancels", control) << control << int(Qt::Key_Escape) << "cancelled";
    }
    QTest::addRow("keypad Enter in linkBox saves") << "linkBox" << int(Qt::Key_Enter) << "saved";
    QTest::addRow("Return on 設定を保存 saves") << "saveButton" << int(Qt::Key_Return) << "saved";
    QTest::addRow("keypad Enter on 設定を保存 saves") << "saveButton" << int(Qt::Key_Enter) << "saved";
    QTest::addRow("Return on キャンセル cancels") << "cancelButton" << int(Qt::Key_Return) << "cancelled";
    QTest::addRow("keypad Enter on キャンセル cancels")
        << "cancelButton" << int(Qt::Key_Enter) << "cancelled";
    QTest::addRow("Space on キャンセル cancels") << "cancelButton" << int(Qt::Key_Space) << "cancelled";
    QTest::addRow("Escape on 設定を保存 cancels") << "saveButton" << int(Qt::Key_Escape) << "cancelled";
    QTest::addRow("Return on テキストの色 offers the text colour")
        << "textColorButton" << int(Qt::Key_Return) << "text colour offered";
    QTest::addRow("Return on 背景の色 offers the background colour")
        << "backColorButton" << int(Qt::Key_Return) << "background colour offered";
    QTest::addRow("Return on ヘルプ opens help") << "helpButton" << int(Qt::Key_Return) << "help";
    QTest::addRow("Return on ケムレス.com opens the notice")
        << "noticeButton" << int(Qt::Key_Return) << "notice";
}

void SettingsDialogTest::keysByTheControlThatHasTheKeyboard() {
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, outcome);
    Program p(0);
    const QByteArray initialBefore = p.bytes("initial.ini");
    const QByteArray optionBefore = p.bytes("option.ini");
    p.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.dialog));
    p.type("quitYearBox", "2019");
    p.dialog->sizeButton(2)->setChecked(true);
    QWidget* target = p.dialog->findChild<QWidget*>(control);
    QVERIFY(target);
    target->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), target);

    QTest::keyClick(target, Qt::Key(key));

    QVERIFY(p.desktop.messages.isEmpty());
    if (outcome == QLatin1String("saved")) {
        QVERIFY(!Window("settingsDialog"));
        QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
        QCOMPARE(p.bytes("initial.ini"), QByteArray("2019,1,2,3,4,20,300,100\r\n"));
        return;
    }
    // Nothing of the dialog reached the files.
    QCOMPARE(p.bytes("initial.ini"), initialBefore);
    QCOMPARE(p.bytes("option.ini"), optionBefore);
    if (outcome == QLatin1String("cancelled")) {
        QVERIFY(!Window("settingsDialog"));
        QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());
        QVERIFY(!Window("helpWindow"));
        QVERIFY(p.desktop.colorOffered.isEmpty());
    } else if (outcome == QLatin1String("help")) {
        QVERIFY(Window("helpWindow") && Window("helpWindow")->isVisible());
        QVERIFY(Window("settingsDialog") && p.dialog->isVisible());
    } else if (outcome == QLatin1String("notice")) {
        QVERIFY(Window("noticeWindow") && Window("noticeWindow")->isVisible());
        // The dialog waits, hidden, for the notice to close.
        QVERIFY(!p.dialog->isVisible());
    } else {
        // The chooser, preset with the colour of that button; the dialog stays.
        QCOMPARE(p.desktop.colorOffered,
                 QList<QColor>{ToQColor(outcome.startsWith(QLatin1String("text")) ? Rgb::FromBgr(0xF0E0D0)
                                                                                  : Rgb::FromBgr(0x102030))});
        QVERIFY(Window("settingsDialog") && p.dialog->isVisible());
        QVERIFY(!Window("mainWindow"));
    }
}

// Every box says its whole text (one run of attributes, which a screen
// reader joins), its name and what it takes; the option buttons their
// group; the colour buttons the colour they hold, also after a pick; the
// dialog what it is and what it asks.
void SettingsDialogTest::whatAScreenReaderIsTold() {
    Program p(0);
    QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(p.dialog);
    QCOMPARE(dialog->role(), QAccessible::Dialog);
    QCOMPARE(dialog->text(QAccessible::Name), QStringLiteral("設定ウィンドウ"));
    QCOMPARE(dialog->text(QAccessible::Description), QStringLiteral("全て半角で記入してください"));
    QCOMPARE(p.dialog->windowTitle(),
             QStringLiteral(" 設定ウィンドウ - 全て半角で記入してください - lunapo"));

    const std::pair<QLineEdit*, const char*> boxes[] = {
        {p.dialog->quitBox(0), "（１９００から２０２６までの半角数字で記入）"},
        {p.dialog->quitBox(1), "（１から１２までの半角数字で記入）"},
        {p.dialog->quitBox(2), "（１から３１までの半角数字で記入）"},
        {p.dialog->quitBox(3), "（０から２３までの半角数字で記入）"},
        {p.dialog->quitBox(4), "（０から５９までの半角数字で記入）"},
        {p.dialog->perDayBox(), "（１から２００までの半角数字で記入）"},
        {p.dialog->priceBox(), "（１から２０００までの半角数字で記入）"},
        {p.dialog->taxRateBox(), "（０から１００までの半角数字で記入）"},
        {p.dialog->smokingYearsBox(), "（１から９９までの半角数字で記入）"},
        {p.dialog->linkBox(), "（http:// に続けて半角で記入）"},
    };
    for (const auto& [box, hint] : boxes) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(box);
        QAccessibleTextInterface* text = spoken->textInterface();
        QVERIFY2(text, qPrintable(box->objectName()));
        QCOMPARE(text->text(0, text->characterCount()), box->text());
        int start = -1, end = -1;
        text->attributes(text->characterCount() - 1, &start, &end);
        QCOMPARE(std::pair(start, end), std::pair(0, int(box->text().size())));
        QCOMPARE(spoken->text(QAccessible::Description), QString::fromUtf8(hint));
        QVERIFY(!spoken->text(QAccessible::Name).isEmpty());
        QVERIFY(spoken->editableTextInterface());
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(p.dialog->quitBox(0))->text(QAccessible::Name),
             QStringLiteral("卒煙日の年"));
    QCOMPARE(QAccessible::queryAccessibleInterface(p.dialog->sizeButton(0))->text(QAccessible::Name),
             QStringLiteral("サイズ　ショート"));
    QCOMPARE(QAccessible::queryAccessibleInterface(p.dialog->copyPlusButton(2))->text(QAccessible::Name),
             QStringLiteral("copy+　ON+喫煙年数→"));

    // 0x102030 holds red 0x30, green 0x20, blue 0x10; 0xF0E0D0 likewise.
    auto name = [&](const char* button) {
        return QAccessible::queryAccessibleInterface(p.dialog->button(button))->text(QAccessible::Name);
    };
    QCOMPARE(name("textColorButton"), QStringLiteral("テキストの色　赤208、緑224、青240"));
    QCOMPARE(name("backColorButton"), QStringLiteral("背景の色　赤48、緑32、青16"));
    p.desktop.colorAnswers = {QColor(Qt::white)};
    p.click("textColorButton");
    QCOMPARE(name("textColorButton"), QStringLiteral("テキストの色　白"));
    QCOMPARE(p.dialog->colorSample()->accessibleName(),
             QStringLiteral("サンプル色　テキストは白、背景は赤48、緑32、青16"));
}

// The closed list says its choice as its text; a change with the arrow keys
// moves the caret there, so a screen reader reads the new choice.
// Tab selects a box's whole text, which a screen reader is not told (it
// would say the value again and "selected", and "Text unselected." on the
// way out); a selection the user makes is.
void SettingsDialogTest::theSelectionTabMakesIsNotSaid() {
    Program p(0);
    p.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.dialog));
    QLineEdit* box = p.dialog->priceBox();
    box->setFocus(Qt::TabFocusReason);
    QVERIFY(box->hasSelectedText());
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(box)->textInterface();
    QCOMPARE(text->selectionCount(), 0);
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(0, 0));
    // Typing replaces it, as the eye sees.
    QTest::keyClicks(box, QStringLiteral("5"));
    QCOMPARE(box->text(), QStringLiteral("5"));
    QTest::keyClicks(box, QStringLiteral("00"));
    box->setSelection(1, 2);
    QCOMPARE(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(1, 3));
    // Selected whole by the user: told.
    box->selectAll();
    QCOMPARE(text->selectionCount(), 1);
    // The mouse's way in selects nothing itself.
    p.dialog->perDayBox()->setFocus(Qt::MouseFocusReason);
    p.dialog->perDayBox()->selectAll();
    QCOMPARE(QAccessible::queryAccessibleInterface(p.dialog->perDayBox())->textInterface()->selectionCount(),
             1);
}

void SettingsDialogTest::theStatusListSaysItsChoiceAndEveryChange() {
    Program p(0);
    QComboBox* list = p.dialog->statusModeList();
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(list);
    QCOMPARE(spoken->role(), QAccessible::ComboBox);
    QAccessibleTextInterface* text = spoken->textInterface();
    QVERIFY(text);
    QCOMPARE(text->text(0, text->characterCount()), QStringLiteral("コスモ"));
    const int caret = text->cursorPosition();
    list->setCurrentIndex(2);
    QCOMPARE(text->text(0, text->characterCount()), QStringLiteral("会社モード"));
    QVERIFY(text->cursorPosition() != caret);
    // A screen reader can open it as Qt's own list.
    spoken->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(list->view()->isVisible());
    list->hidePopup();
}

// The open list of the combo box is a window of its own: Escape closes the
// list and Enter picks an item there, and the dialog stays open.
void SettingsDialogTest::openStatusListKeepsItsKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("chosen");
    QTest::addRow("Escape closes the list") << int(Qt::Key_Escape) << "コスモ";
    QTest::addRow("Return picks the item") << int(Qt::Key_Return) << "会社モード";
}

void SettingsDialogTest::openStatusListKeepsItsKeys() {
    QFETCH(int, key);
    QFETCH(QString, chosen);
    Program p(0);
    const QByteArray initialBefore = p.bytes("initial.ini");
    p.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.dialog));
    QComboBox* list = p.dialog->statusModeList();
    list->setFocus();
    list->showPopup();
    QTRY_VERIFY(list->view()->isVisible());
    list->view()->setCurrentIndex(list->model()->index(2, 0));

    QTest::keyClick(list->view(), Qt::Key(key));

    QTRY_VERIFY(!list->view()->isVisible());
    QCOMPARE(list->currentText(), chosen);
    QVERIFY(Window("settingsDialog") && p.dialog->isVisible());
    QVERIFY(!Window("mainWindow"));
    QCOMPARE(p.bytes("initial.ini"), initialBefore);
}

// Keys belong to the window that has them: the help window opened from the
// dialog closes on Escape, and neither key reaches the dialog behind it.
void SettingsDialogTest::keysOfTheHelpWindowStayThere() {
    Program p(0);
    const QByteArray initialBefore = p.bytes("initial.ini");
    p.click("helpButton");
    QWidget* help = Window("helpWindow");
    QVERIFY(help && help->isVisible());
    QWidget* guide = help->findChild<QWidget*>(QStringLiteral("guideText"));
    QVERIFY(guide);

    QTest::keyClick(guide, Qt::Key_Return);
    QVERIFY(Window("helpWindow"));
    QTest::keyClick(guide, Qt::Key_Escape);
    QVERIFY(!Window("helpWindow"));

    QVERIFY(Window("settingsDialog") && p.dialog->isVisible());
    QVERIFY(!Window("mainWindow"));
    QCOMPARE(p.bytes("initial.ini"), initialBefore);
}

void SettingsDialogTest::keyboardStartsInTheYearAndTabFollowsTheReadingOrder_data() {
    QTest::addColumn<int>("copyPlusMode");
    QTest::addColumn<QStringList>("order");
    const QStringList profile = {"quitMonthBox",   "quitDayBox",      "quitHourBox",        "quitMinuteBox",
                                 "perDayBox",      "priceBox",        "standardSizeButton", "taxRateBox",
                                 "statusModeList", "textColorButton", "backColorButton",    "boxCountCheck"};
    const QStringList end = {"linkBox",    "noticeButton", "helpButton",
                             "saveButton", "cancelButton", "quitYearBox"};
    // Tab lands on the selected option of a group; the years box only
    // takes the keyboard while it is enabled.
    QTest::addRow("copy+ OFF") << 0 << profile + QStringList{"copyPlusOffButton"} + end;
    QTest::addRow("copy+ with smoking years")
        << 2 << profile + QStringList{"copyPlusYearsButton", "smokingYearsBox"} + end;
}

void SettingsDialogTest::keyboardStartsInTheYearAndTabFollowsTheReadingOrder() {
    QFETCH(int, copyPlusMode);
    QFETCH(QStringList, order);
    Program p(0, copyPlusMode);
    QCOMPARE(p.dialog->focusWidget(), p.dialog->quitBox(0));
    QStringList visited;
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(p.dialog->focusWidget(), Qt::Key_Tab);
        visited << p.dialog->focusWidget()->objectName();
    }
    QCOMPARE(visited, order);
}

void SettingsDialogTest::arrowsMoveTheSelectionOfAnOptionGroup() {
    Program p(0);
    // Qt moves along a group only in the window that has the keyboard.
    p.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.dialog));
    QRadioButton* standard = p.dialog->sizeButton(1);
    QVERIFY(standard->isChecked());
    standard->setFocus();
    QTest::keyClick(standard, Qt::Key_Right);
    QVERIFY(p.dialog->sizeButton(2)->isChecked());
    QCOMPARE(p.dialog->focusWidget(), p.dialog->sizeButton(2));
    QTest::keyClick(p.dialog->sizeButton(2), Qt::Key_Left);
    QTest::keyClick(p.dialog->sizeButton(1), Qt::Key_Left);
    QVERIFY(p.dialog->sizeButton(0)->isChecked());
    // Selecting "ON+喫煙年数→" with the keyboard enables its box, as a click does.
    p.dialog->copyPlusButton(1)->setChecked(true);
    p.dialog->copyPlusButton(1)->setFocus();
    QTest::keyClick(p.dialog->copyPlusButton(1), Qt::Key_Right);
    QVERIFY(p.dialog->copyPlusButton(2)->isChecked());
    QVERIFY(p.dialog->smokingYearsBox()->isEnabled());
    // The choice made with the keyboard is what a save stores.
    p.click("saveButton");
    QCOMPARE(p.session->initial().cigaretteSize, int32_t{kShort});
    QCOMPARE(p.session->options().copyPlusMode, 2);
}

void SettingsDialogTest::staysOnTheScreenWhereverTheMainWindowStood_data() {
    QTest::addColumn<int>("leftPx");
    QTest::addColumn<int>("topPx");
    // The offscreen screen is 800 x 600 pixels; the main window's own rule
    // lets its corner stand up to 5000 x 3000 twips from the far edges.
    QTest::addRow("top left, unchanged") << 100 << 200;
    QTest::addRow("near the right edge") << 460 << 100;
    QTest::addRow("near the bottom") << 50 << 390;
    QTest::addRow("near the bottom right corner") << 466 << 400;
}

void SettingsDialogTest::staysOnTheScreenWhereverTheMainWindowStood() {
    QFETCH(int, leftPx);
    QFETCH(int, topPx);
    Program p(0, 0, {leftPx * 15, topPx * 15});
    const QRect area = p.dialog->screen()->availableGeometry();
    auto check = [&](QWidget* w) {
        const QRect frame = w->frameGeometry();
        QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                      .arg(frame.x())
                                                      .arg(frame.y())
                                                      .arg(frame.width())
                                                      .arg(frame.height())));
        // Moved left and up only as far as needed.
        QCOMPARE(w->x(), std::min(leftPx, area.right() + 1 - frame.width()));
        QCOMPARE(w->y(), std::min(topPx, area.bottom() + 1 - frame.height()));
    };
    check(p.dialog);

    // The notice stands where the dialog stands, by the same rule.
    p.click("noticeButton");
    QWidget* notice = Window("noticeWindow");
    QVERIFY(notice);
    check(notice);
    QVERIFY(notice->close());
    p.dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
    check(p.dialog);

    // The main window opens where the dialog actually stood.
    const QPoint stood = p.dialog->pos();
    p.click("saveButton");
    QCOMPARE(p.session->options().mainLeft, stood.x() * 15);
    QCOMPARE(p.session->options().mainTop, stood.y() * 15);
    QCOMPARE(Window("mainWindow")->pos(), stood);
}

void SettingsDialogTest::isCompact() {
    // Small enough for a 1280 x 800 screen at scale 2 (640 x 400 pixels
    // of layout), with room for a title bar and a panel.
    Program p(0, 2);
    QVERIFY2(p.dialog->width() <= 600, qPrintable(QString::number(p.dialog->width())));
    QVERIFY2(p.dialog->height() <= 330, qPrintable(QString::number(p.dialog->height())));
}

QTEST_MAIN(SettingsDialogTest)
#include "settings_round_trip_qtest.moc"

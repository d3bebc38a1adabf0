// The help window and the smartphone notice reached from the settings dialog.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "content/about.h"
#include "dialogs/help_window.h"
#include "dialogs/notice_window.h"
#include "dialogs/settings_dialog.h"
#include "session/session.h"
#include "support/session_fixture.h"
#include "support/windows.h"

using namespace kemless;

namespace {

QString LaunchFailed(const char* address) { return QString::fromStdString(PageNotOpenedText(address)); }

// A started program, main window shown at (1800, 2250) twips.
struct Program : SessionFixture {
    Program() {
        OptionSettings o;
        o.mainLeft = 1800;
        o.mainTop = 2250;
        writeStarted({2026, 1, 2, 3, 4, 20, 300, kStandard}, o);
        start();
    }
    // The settings dialog on the screen (it stays loaded, hidden, while the
    // notice stands in its place).
    SettingsDialog* settings() const {
        auto* dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
        return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
    }
    NoticeWindow* notice() const { return qobject_cast<NoticeWindow*>(Window("noticeWindow")); }
    HelpWindow* help() const { return qobject_cast<HelpWindow*>(Window("helpWindow")); }
    void click(QWidget* window, const char* button) const {
        window->findChild<QPushButton*>(QLatin1String(button))->click();
    }
};

bool Fills(const HelpWindow* help) { return help->textBox()->geometry() == help->rect(); }

}  // namespace

class HelpNoticeTest : public QObject {
    Q_OBJECT
private slots:
    void helpOpensOnce();
    void helpFromSettingsKeepsDialog();
    void helpTextBoxFillsClientArea();
    void helpFitsTheScreen_data();
    void helpFitsTheScreen();
    void noticeFitsTheScreen_data();
    void noticeFitsTheScreen();
    void noticeReplacesSettings_data();
    void noticeReplacesSettings();
    void versionBoxAndNoticeNameOneMakerAddress();
    void escapeClosesHelpAndTheNotice();
    void helpAndTheNoticeAreReadAsTheyOpen();
    void enterOnTheNoticeButtonOpensTheSite();
};

void HelpNoticeTest::helpOpensOnce() {
    Program p;
    ShowHelp(*p.session);
    HelpWindow* help = p.help();
    QVERIFY(help);
    QVERIFY(help->isVisible());
    ShowHelp(*p.session);
    QCOMPARE(CountWindows("helpWindow"), 1);
    QCOMPARE(p.help(), help);
    QCOMPARE(help->windowTitle(), QStringLiteral("  (?_?) - help"));

    const QString text = help->textBox()->toPlainText();
    QVERIFY(text.startsWith(QStringLiteral("＝＝ウインドウ右上のＸボタンを押すとヘルプが終了します＝＝")));
    QVERIFY(text.contains(QStringLiteral("◆　ケムレスヘルプメニュー")));
    QVERIFY(help->textBox()->isReadOnly());
    QVERIFY(Window("mainWindow")->isVisible());  // the opener stays

    // Closed, it can be opened again, still one copy.
    QVERIFY(help->close());
    QCOMPARE(CountWindows("helpWindow"), 0);
    ShowHelp(*p.session);
    ShowHelp(*p.session);
    QCOMPARE(CountWindows("helpWindow"), 1);
}

void HelpNoticeTest::helpFitsTheScreen_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("corner");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("fittedCorner");
    // A 1366 x 768 screen at scale 1, 1.5 and 2, in the window's own
    // pixels, with a 25-pixel title bar and 1-pixel borders.
    QTest::addRow("scale 1: designed size, left where it is")
        << QRect(0, 0, 1366, 768) << QPoint(100, 100) << QSize(560, 480) << QPoint(100, 100);
    QTest::addRow("scale 1: moved left and up just enough")
        << QRect(0, 0, 1366, 768) << QPoint(900, 400) << QSize(560, 480)
        << QPoint(1366 - 562, 768 - 480 - 26);
    QTest::addRow("scale 1.5: designed size, moved up")
        << QRect(0, 0, 911, 512) << QPoint(0, 100) << QSize(560, 480) << QPoint(0, 512 - 506);
    QTest::addRow("scale 2: shorter and narrower")
        << QRect(0, 0, 683, 384) << QPoint(300, 200) << QSize(560, 384 - 26) << QPoint(683 - 562, 0);
    QTest::addRow("panel at the top")
        << QRect(0, 30, 683, 354) << QPoint(0, 0) << QSize(560, 354 - 26) << QPoint(0, 30);
}

void HelpNoticeTest::helpFitsTheScreen() {
    QFETCH(QRect, area);
    QFETCH(QPoint, corner);
    QFETCH(QSize, size);
    QFETCH(QPoint, fittedCorner);
    HelpWindow help;
    help.move(corner);
    help.fitInto(area, QMargins(1, 25, 1, 1));
    QCOMPARE(help.size(), size);
    QCOMPARE(help.pos(), fittedCorner);
    QVERIFY(area.contains(QRect(help.pos(), help.size().grownBy(QMargins(1, 25, 1, 1)))));
    // The guide scrolls inside the smaller window.
    QVERIFY(Fills(&help));
}

void HelpNoticeTest::noticeFitsTheScreen_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<bool>("designed");
    QTest::addRow("1366 x 768 at scale 1") << QRect(0, 0, 1366, 768) << true;
    QTest::addRow("1366 x 768 at scale 2") << QRect(0, 0, 683, 384) << true;
    QTest::addRow("a screen smaller than the notice") << QRect(0, 20, 320, 220) << false;
}

void HelpNoticeTest::noticeFitsTheScreen() {
    QFETCH(QRect, area);
    QFETCH(bool, designed);
    const QMargins frame(1, 25, 1, 1);
    NoticeWindow notice;
    notice.adjustSize();
    const QSize designedText = notice.textBox()->minimumSize();
    notice.move(area.right() - 50, area.bottom() - 50);
    notice.fitInto(area, frame);
    QVERIFY(area.contains(QRect(notice.pos(), notice.size().grownBy(frame))));
    QVERIFY(notice.size().width() >= notice.minimumSizeHint().width());
    QVERIFY(notice.size().height() >= notice.minimumSizeHint().height());
    // Only a screen too small for the design takes room from the text.
    QCOMPARE(notice.textBox()->minimumSize() == designedText, designed);
}

void HelpNoticeTest::helpFromSettingsKeepsDialog() {
    Program p;
    OpenSettings(*p.session);
    QVERIFY(p.settings());
    p.click(p.settings(), "helpButton");
    p.click(p.settings(), "helpButton");
    QCOMPARE(CountWindows("helpWindow"), 1);
    QVERIFY(p.help()->isVisible());
    QVERIFY(p.settings() && p.settings()->isVisible());
}

void HelpNoticeTest::helpTextBoxFillsClientArea() {
    Program p;
    ShowHelp(*p.session);
    HelpWindow* help = p.help();
    QVERIFY(help);
    QVERIFY(Fills(help));
    QCOMPARE(help->textBox()->pos(), QPoint(0, 0));

    help->resize(700, 380);
    QVERIFY(Fills(help));
    QCOMPARE(help->textBox()->size(), QSize(700, 380));

    help->setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(help->size() != QSize(700, 380));
    QVERIFY(Fills(help));

    help->setWindowState(Qt::WindowNoState);
    help->resize(500, 300);
    QVERIFY(Fills(help));

    // Resized while minimised, the box catches up on the restore.
    help->setWindowState(Qt::WindowMinimized);
    help->resize(620, 410);
    help->setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(!(help->windowState() & Qt::WindowMinimized));
    QCOMPARE(help->size(), QSize(620, 410));
    QVERIFY(Fills(help));
}

void HelpNoticeTest::noticeReplacesSettings_data() {
    QTest::addColumn<bool>("launchWorks");
    QTest::addRow("site opened") << true;
    QTest::addRow("launch failed") << false;
}

void HelpNoticeTest::noticeReplacesSettings() {
    QFETCH(bool, launchWorks);
    Program p;
    OpenSettings(*p.session);
    SettingsDialog* settings = p.settings();
    QVERIFY(settings);
    const OptionSettings& o = p.session->options();
    const QPoint corner(o.mainLeft / 15, o.mainTop / 15);
    QCOMPARE(corner, QPoint(120, 150));

    p.click(settings, "noticeButton");
    QVERIFY(!p.settings());
    NoticeWindow* notice = p.notice();
    QVERIFY(notice);
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->pos(), corner);
    QCOMPARE(notice->windowTitle(), QStringLiteral(" ヾ(〃^∇^)ﾉ つぎはのんびり卒煙旅行～"));
    QVERIFY(notice->textBox()->toPlainText().contains(QStringLiteral("http://kemless.example.jp/")));

    p.desktop.launchWorks = launchWorks;
    p.click(notice, "goButton");
    QCOMPARE(p.desktop.opened, QList<QUrl>{QUrl(QStringLiteral("http://kemless.example.jp/"))});
    QCOMPARE(p.desktop.messages,
             launchWorks ? QStringList() : QStringList{LaunchFailed("http://kemless.example.jp/")});
    QVERIFY(p.notice() && p.notice()->isVisible());  // the notice stays open
    QVERIFY(!p.settings());

    QVERIFY(notice->close());
    QVERIFY(!p.notice());
    QVERIFY(p.settings());
    QVERIFY(p.settings()->isVisible());
    QCOMPARE(p.settings()->pos(), corner);
    QVERIFY(!Window("mainWindow"));
}

void HelpNoticeTest::versionBoxAndNoticeNameOneMakerAddress() {
    Program p;
    p.session->mainWindow()->popupMenu()->findChild<QAction*>(QStringLiteral("versionAction"))->trigger();
    QCOMPARE(p.desktop.messages.size(), 1);
    // It informs: a screen reader hears a dialog named for what it is, not
    // an alert.
    QCOMPARE(p.desktop.informationNames, QStringList{QStringLiteral("バージョン情報")});
    const QString version = p.desktop.messages.takeFirst();
    QVERIFY(version.contains(QStringLiteral("１．２０")));
    QVERIFY2(version.startsWith(QStringLiteral(
                 "ケムレス\r\nバージョン　１．２０\r\n\r\n卒煙を応援するデスクトップアプリ\r\n")),
             qPrintable(version));

    OpenSettings(*p.session);
    p.click(p.settings(), "noticeButton");
    p.click(p.notice(), "goButton");
    QCOMPARE(p.desktop.opened.size(), 1);
    const QString site = p.desktop.opened.first().toString();
    QVERIFY2(version.contains(site), qPrintable(version + QStringLiteral(" / ") + site));
    // The notice's own text names the address its button opens.
    QVERIFY(p.notice()->textBox()->toPlainText().contains(site));
}

void HelpNoticeTest::escapeClosesHelpAndTheNotice() {
    Program p;
    ShowHelp(*p.session);
    QTest::keyClick(p.help()->textBox(), Qt::Key_Escape);
    QVERIFY(!p.help());
    QVERIFY(Window("mainWindow") && Window("mainWindow")->isVisible());  // nothing else closes

    OpenSettings(*p.session);
    p.click(p.settings(), "noticeButton");
    QVERIFY(p.notice());
    QTest::keyClick(p.notice()->goButton(), Qt::Key_Escape);
    QVERIFY(!p.notice());
    QVERIFY(p.settings() && p.settings()->isVisible());
    QVERIFY(p.desktop.opened.isEmpty());
}

// Help is read from its first line by a caret the arrow keys move; the
// notice says its whole text as it opens, keeps the keyboard on its button,
// and can be read line by line too. Both are named for what they are.
void HelpNoticeTest::helpAndTheNoticeAreReadAsTheyOpen() {
    Program p;
    ShowHelp(*p.session);
    QPlainTextEdit* guide = p.help()->textBox();
    QVERIFY(guide->isReadOnly());
    QVERIFY(guide->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    QCOMPARE(guide->textCursor().position(), 0);
    QAccessibleInterface* help = QAccessible::queryAccessibleInterface(p.help());
    QCOMPARE(help->text(QAccessible::Name), QStringLiteral("ケムレスヘルプ"));
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(guide)->textInterface();
    int start = 0, end = 0;
    QCOMPARE(text->textAtOffset(0, QAccessible::LineBoundary, &start, &end).trimmed(),
             QStringLiteral("＝＝ウインドウ右上のＸボタンを押すとヘルプが終了します＝＝"));
    QTest::keyClick(guide, Qt::Key_Down);
    QTest::keyClick(guide, Qt::Key_Down);
    QCOMPARE(text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end).trimmed(),
             QStringLiteral("◆　ケムレスヘルプメニュー"));
    p.help()->close();

    OpenSettings(*p.session);
    p.click(p.settings(), "noticeButton");
    NoticeWindow* notice = p.notice();
    notice->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(notice));
    QCOMPARE(QApplication::focusWidget(), notice->goButton());
    QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(notice);
    QCOMPARE(dialog->role(), QAccessible::Dialog);
    QCOMPARE(dialog->text(QAccessible::Name), QStringLiteral("スマートフォン版のお知らせ"));
    QCOMPARE(dialog->text(QAccessible::Description), notice->textBox()->toPlainText());
    QVERIFY(notice->textBox()->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    QCOMPARE(QAccessible::queryAccessibleInterface(notice->textBox())->text(QAccessible::Name),
             QStringLiteral("お知らせ"));
    QCOMPARE(notice->windowTitle(), QStringLiteral(" ヾ(〃^∇^)ﾉ つぎはのんびり卒煙旅行～"));
}

void HelpNoticeTest::enterOnTheNoticeButtonOpensTheSite() {
    Program p;
    OpenSettings(*p.session);
    p.click(p.settings(), "noticeButton");
    p.notice()->goButton()->setFocus();
    QTest::keyClick(p.notice()->goButton(), Qt::Key_Return);
    QCOMPARE(p.desktop.opened.size(), 1);
    QVERIFY(p.notice());
}

QTEST_MAIN(HelpNoticeTest)
#include "help_notice_qtest.moc"

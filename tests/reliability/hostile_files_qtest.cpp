// Hostile settings files against the real windows (offscreen): whatever
// stands in kemlessdata, start() opens the window the rules name, with the
// defaults or the kept values and the windows on the screen; it never crashes
// and never changes a file it could not read. Only the next write of
// option.ini (a window's unload) may replace an unreadable one.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QtTest>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "desktop/placement.h"
#include "desktop/twips.h"
#include "dialogs/settings_dialog.h"
#include "records/settings_store.h"
#include "records/shift_jis.h"
#include "session/session.h"
#include "support/fake_desktop.h"
#include "support/fake_process.h"
#include "support/session_fixture.h"
#include "support/tick.h"
#include "support/windows.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"

using namespace kemless;

namespace {

// What stands at a path: nothing, a file with these bytes, or a folder.
struct Entry {
    enum Kind { Missing, File, Folder } kind = Missing;
    QByteArray bytes;
    QStringList folderEntries;
    friend bool operator==(const Entry&, const Entry&) = default;
};

Entry FileWith(const QByteArray& bytes) { return {Entry::File, bytes, {}}; }
Entry FolderInPlace() { return {Entry::Folder, {}, {QStringLiteral("keep")}}; }
Entry NoFile() { return {}; }

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
QByteArray Sjis(const std::string& utf8) { return Bytes(Utf8ToShiftJis(utf8)); }

InitialSettings Profile() {
    InitialSettings in;
    in.quit = {2026, 11, 1, 9, 0};
    in.cigarettesPerDay = 25;
    in.packPrice = 480;
    in.cigaretteSize = kLong;
    return in;
}

OptionSettings Started() {
    OptionSettings o;
    o.quitStarted = true;
    o.mainLeft = 1500;
    o.mainTop = 3000;
    o.miniLeft = 600;
    o.miniTop = 450;
    o.backColor = Rgb::FromBgr(0x102030);
    o.linkUrl = "example.jp/a,b";
    o.windowMode = WindowMode::Main;
    o.statusMode = "コスモ";
    return o;
}

QByteArray Line(const InitialSettings& s) { return Bytes(FormatInitialLine(s)); }
QByteArray Line(const OptionSettings& s) { return Sjis(FormatOptionLine(s)); }
QByteArray WithoutLineEnd(QByteArray line) { return line.chopped(2); }

// The option.ini line of Started() with one of its thirteen numeric fields,
// in file order, holding `value` as a hand-edited file may.
QByteArray StartedLineWith(int field, int32_t value) {
    const OptionSettings o = Started();
    std::vector<std::string> numbers = {std::to_string(o.quitStarted.stored()),
                                        std::to_string(o.taxRatePercent),
                                        std::to_string(o.consumptionTaxPercent),
                                        std::to_string(o.copyPlusMode),
                                        std::to_string(o.smokingYears),
                                        std::to_string(o.showBoxCount.stored()),
                                        std::to_string(o.mainLeft),
                                        std::to_string(o.mainTop),
                                        std::to_string(o.backColor.bgr()),
                                        std::to_string(o.foreColor.bgr()),
                                        std::to_string(static_cast<int32_t>(o.windowMode)),
                                        std::to_string(o.miniLeft),
                                        std::to_string(o.miniTop)};
    numbers[static_cast<size_t>(field)] = std::to_string(value);
    std::string line;
    for (size_t i = 0; i < numbers.size(); ++i) {
        line += numbers[i] + ",";
        if (i == 9) line += "\"" + o.linkUrl + "\",";
    }
    return Sjis(line + "\"" + o.statusMode + "\"\r\n");
}

// The one display window or dialog that start() left visible.
QString VisibleWindow() {
    QStringList shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->objectName().isEmpty()) shown << w->objectName();
    return shown.size() == 1 ? shown.first() : QStringLiteral("{%1}").arg(shown.join(','));
}

// A stored corner after placement: on the screen, or moved to its middle.
bool Placed(int32_t left, int32_t top, Margins margins) {
    const auto [width, height] = WindowPlacer::ScreenTwips(nullptr);
    auto fits = [](int32_t v, int32_t size, int32_t margin) {
        return (v >= 0 && v <= size - margin) || v == size / 2;
    };
    return fits(left, width, margins.width) && fits(top, height, margins.height);
}

// A program in a temporary folder, started on whatever the test put there.
struct Program {
    FakeClock clock;
    FakeDesktop desktop;
    FakeProcess process;
    QTemporaryDir dir;
    QString base = dir.path();
    std::unique_ptr<Session> session;

    QString path(const char* file) const {
        return base + QStringLiteral("/kemlessdata/") + QLatin1String(file);
    }

    void put(const char* file, const Entry& e) const {
        QDir().mkpath(base + QStringLiteral("/kemlessdata"));
        if (e.kind == Entry::File) {
            QFile f(path(file));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(f.write(e.bytes), e.bytes.size());
        } else if (e.kind == Entry::Folder) {
            QVERIFY(QDir().mkpath(path(file)));
            for (const QString& name : e.folderEntries) {
                QFile f(path(file) + '/' + name);
                QVERIFY(f.open(QIODevice::WriteOnly));
            }
        }
    }
    Entry look(const QString& at) const {
        const QFileInfo info(at);
        if (info.isDir())
            return {Entry::Folder, {}, QDir(at).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)};
        QFile f(at);
        if (!f.open(QIODevice::ReadOnly)) return {};
        return FileWith(f.readAll());
    }
    Entry look(const char* file) const { return look(path(file)); }

    Session& start() {
        session = std::make_unique<Session>(clock, desktop, process, base.toStdString());
        session->start();
        return *session;
    }
    ~Program() {
        DeleteAllWindows();
        session.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// Every refresh-driven path of a running display window, on whatever values
// it holds: painting, a tick a day later, the toggle, both copy texts, and the
// settings dialog opened on the values and cancelled.
void Exercise(Program& p) {
    Session& s = *p.session;
    for (QWidget* w : {static_cast<QWidget*>(s.mainWindow()), static_cast<QWidget*>(s.miniWindow())})
        if (w) QVERIFY(!w->grab().isNull());
    p.clock.moment.day += 1;
    if (s.mainWindow()) QVERIFY(Tick(s));
    emit s.mainWindow()->elapsedClicked();
    emit s.mainWindow()->copySummaryRequested();
    emit s.mainWindow()->copyShortRequested();
    OpenSettings(s);
    auto* dialog = qobject_cast<SettingsDialog*>(Window("settingsDialog"));
    QVERIFY(dialog);
    QVERIFY(!dialog->grab().isNull());
    dialog->cancel();
    QVERIFY(!Window("settingsDialog"));
    QVERIFY(s.mainWindow());
}

// Closing the program writes option.ini from memory: afterwards it reads back
// as exactly that record, whatever stood there before.
void CloseAndCheckTheWrite(Program& p) {
    Session& s = *p.session;
    QVERIFY(s.mainWindow());
    QVERIFY(s.mainWindow()->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto back = s.records().store().readOption();
    QVERIFY2(back, "option.ini does not read after the program wrote it");
    QVERIFY(*back == s.options());
}

}  // namespace

Q_DECLARE_METATYPE(Entry)

class HostileFilesTest : public QObject {
    Q_OBJECT

private slots:
    void startsOnWhatTheRulesSay_data();
    void startsOnWhatTheRulesSay();
    void extremeValueInAField_data();
    void extremeValueInAField();
    void unwritablePlaces_data();
    void unwritablePlaces();
};

void HostileFilesTest::startsOnWhatTheRulesSay_data() {
    QTest::addColumn<Entry>("initial");
    QTest::addColumn<Entry>("option");
    QTest::addColumn<QString>("window");    // the one visible afterwards
    QTest::addColumn<bool>("initialKept");  // the file's profile is in memory, else the defaults
    QTest::addColumn<bool>("optionKept");   // the file's options are in memory, else the defaults

    const Entry initial = FileWith(Line(Profile()));
    const Entry option = FileWith(Line(Started()));
    const QByteArray tenMegabytes(10 << 20, '7');
    OptionSettings mini = Started();
    mini.windowMode = WindowMode::Mini;
    QByteArray fourteen = Line(Started());
    fourteen.truncate(fourteen.lastIndexOf(','));
    QByteArray seven = Line(Profile());
    seven.truncate(seven.lastIndexOf(','));
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage += char((i * 131 + 7) % 256);

    QTest::newRow("readable files") << initial << option << "mainWindow" << true << true;
    QTest::newRow("mini window mode") << initial << FileWith(Line(mini)) << "miniWindow" << true << true;
    QTest::newRow("initial.ini missing") << NoFile() << option << "mainWindow" << false << true;
    QTest::newRow("empty option.ini") << initial << FileWith({}) << "firstRunSetup" << false << false;
    QTest::newRow("empty initial.ini") << FileWith({}) << option << "mainWindow" << false << true;
    QTest::newRow("both empty") << FileWith({}) << FileWith({}) << "firstRunSetup" << false << false;
    QTest::newRow("no line end") << FileWith(WithoutLineEnd(Line(Profile())))
                                 << FileWith(WithoutLineEnd(Line(Started()))) << "mainWindow" << true << true;
    QTest::newRow("extra fields") << FileWith(WithoutLineEnd(Line(Profile())) + ",1,2,\"x\"\r\n")
                                  << FileWith(WithoutLineEnd(Line(Started())) + ",\"more\",7\r\n")
                                  << "mainWindow" << true << true;
    QTest::newRow("option.ini with fourteen fields")
        << initial << FileWith(fourteen + "\r\n") << "firstRunSetup" << false << false;
    QTest::newRow("initial.ini with seven fields")
        << FileWith(seven + "\r\n") << option << "mainWindow" << false << true;
    QTest::newRow("10 MB number in option.ini")
        << initial << FileWith("1" + tenMegabytes + ",58\r\n") << "firstRunSetup" << false << false;
    QTest::newRow("10 MB number in initial.ini")
        << FileWith("2" + tenMegabytes + ",1\r\n") << option << "mainWindow" << false << true;
    QTest::newRow("10 MB line after the fields")
        << FileWith(WithoutLineEnd(Line(Profile())) + "," + tenMegabytes + "\r\n")
        << FileWith(WithoutLineEnd(Line(Started())) + "," + tenMegabytes + "\r\n") << "mainWindow" << true
        << true;
    QTest::newRow("binary garbage in option.ini")
        << initial << FileWith(garbage) << "firstRunSetup" << false << false;
    QTest::newRow("binary garbage in initial.ini")
        << FileWith(garbage) << option << "mainWindow" << false << true;
    QTest::newRow("invalid Shift_JIS in the texts")
        << initial << FileWith("1,58,5,0,5,1,0,0,1,2,\"ex\x81\",0,0,0,\"\x83\xff\xa0\xfd\"\r\n")
        << "mainWindow" << true << true;
    QTest::newRow("number beyond 32 bits in option.ini")
        << initial << FileWith("1,58,5,0,5,1,2147483648,0,1,2,\"x\",0,0,0,\"y\"\r\n") << "firstRunSetup"
        << false << false;
    QTest::newRow("number beyond 32 bits in initial.ini")
        << FileWith("2026,11,1,9,0,25,4294967296,100\r\n") << option << "mainWindow" << false << true;
    QTest::newRow("folder in place of initial.ini")
        << FolderInPlace() << option << "mainWindow" << false << true;
    QTest::newRow("folder in place of option.ini")
        << initial << FolderInPlace() << "firstRunSetup" << false << false;
    QTest::newRow("folders in place of both")
        << FolderInPlace() << FolderInPlace() << "firstRunSetup" << false << false;
}

void HostileFilesTest::startsOnWhatTheRulesSay() {
    QFETCH(Entry, initial);
    QFETCH(Entry, option);
    QFETCH(QString, window);
    QFETCH(bool, initialKept);
    QFETCH(bool, optionKept);
    Program p;
    p.put("initial.ini", initial);
    p.put("option.ini", option);
    if (QTest::currentTestFailed()) return;

    Session& s = p.start();
    QCOMPARE(VisibleWindow(), window);

    if (initialKept)
        QVERIFY(s.initial() == ParseInitialFile(initial.bytes.toStdString()).value());
    else
        QVERIFY(s.initial() == DefaultInitialSettings(p.clock.now()));
    if (optionKept)
        QVERIFY(s.options() == ParseOptionFile(option.bytes.toStdString()).value());
    else
        QVERIFY(s.options() == DefaultOptionSettings());

    // Start-up creates a missing file and leaves every other one as it was.
    for (const auto& [file, before] : {std::pair{"initial.ini", initial}, std::pair{"option.ini", option}}) {
        if (before.kind == Entry::Missing)
            QVERIFY(p.look(file).kind == Entry::File);
        else
            QVERIFY2(p.look(file) == before, file);
    }
    if (window == QLatin1String("firstRunSetup")) return;

    Exercise(p);
    if (QTest::currentTestFailed()) return;
    CloseAndCheckTheWrite(p);
    if (QTest::currentTestFailed()) return;
    // initial.ini is written only by the ceremony and the settings dialog.
    if (initial.kind != Entry::Missing) QVERIFY(p.look("initial.ini") == initial);
}

// Every numeric field of both files, one at a time, at the edges of 32 bits
// and at the values a hand-edited file is likely to hold.
void HostileFilesTest::extremeValueInAField_data() {
    QTest::addColumn<bool>("inOption");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");

    const char* initialNames[] = {"quitYear",   "quitMonth",        "quitDay",   "quitHour",
                                  "quitMinute", "cigarettesPerDay", "packPrice", "cigaretteSize"};
    const char* optionNames[] = {"quitStarted",  "taxRatePercent", "consumptionTaxPercent",
                                 "copyPlusMode", "smokingYears",   "showBoxCount",
                                 "mainLeft",     "mainTop",        "backColor",
                                 "foreColor",    "windowMode",     "miniLeft",
                                 "miniTop"};
    const int everywhere[] = {INT_MIN, -1, 0, INT_MAX};
    for (int f = 0; f < 8; ++f)
        for (int v : everywhere) QTest::addRow("initial %s=%d", initialNames[f], v) << false << f << v;
    for (int f = 0; f < 13; ++f)
        for (int v : everywhere) QTest::addRow("option %s=%d", optionNames[f], v) << true << f << v;

    struct Named {
        bool option;
        int field;
        int value;
    };
    const Named named[] = {{false, 1, 13},         {false, 2, 32},        {false, 2, 0},
                           {false, 0, -5},         {false, 0, 99999},     {false, 5, -20},
                           {false, 6, 2147483647}, {false, 7, 0},         {false, 7, 51},
                           {true, 8, 0x1000000},   {true, 9, 0x7F123456}, {true, 6, 1000000},
                           {true, 7, 1000000},     {true, 11, -300},      {true, 12, 999999},
                           {true, 10, 1},          {true, 1, 101},        {true, 3, 3}};
    for (const Named& n : named)
        QTest::addRow("%s %s=%d", n.option ? "option" : "initial",
                      n.option ? optionNames[n.field] : initialNames[n.field], n.value)
            << n.option << n.field << n.value;
}

void HostileFilesTest::extremeValueInAField() {
    QFETCH(bool, inOption);
    QFETCH(int, field);
    QFETCH(int, value);
    InitialSettings in = Profile();
    int32_t* initialFields[] = {&in.quit.year,   &in.quit.month,       &in.quit.day,  &in.quit.hour,
                                &in.quit.minute, &in.cigarettesPerDay, &in.packPrice, &in.cigaretteSize};
    if (!inOption) *initialFields[field] = value;
    const QByteArray optionLine = inOption ? StartedLineWith(field, value) : Line(Started());
    // The record as it reads: every value as it stands in the file.
    const OptionSettings o = ParseOptionFile(optionLine.toStdString()).value();
    Program p;
    p.put("initial.ini", FileWith(Line(in)));
    p.put("option.ini", FileWith(optionLine));
    const Entry initialBefore = p.look("initial.ini");
    const Entry optionBefore = p.look("option.ini");

    Session& s = p.start();
    QVERIFY(p.look("initial.ini") == initialBefore);
    QVERIFY(p.look("option.ini") == optionBefore);
    if (!o.quitStarted) {
        // A readable file that has not started the quit: the setup, on its values.
        QCOMPARE(VisibleWindow(), QStringLiteral("firstRunSetup"));
        QVERIFY(s.options() == o);
        return;
    }
    QCOMPARE(VisibleWindow(),
             o.windowMode == WindowMode::Mini ? QStringLiteral("miniWindow") : QStringLiteral("mainWindow"));
    // Values are taken as they stand; only the tax rate and the corners are mended.
    QVERIFY(s.initial() == in);
    OptionSettings expected = o;
    if (o.taxRatePercent < 0 || o.taxRatePercent > 100) expected.taxRatePercent = 58;
    OptionSettings held = s.options();
    QVERIFY2(Placed(held.mainLeft, held.mainTop, kMainWindowMargins),
             qPrintable(QStringLiteral("main corner %1,%2").arg(held.mainLeft).arg(held.mainTop)));
    QVERIFY2(Placed(held.miniLeft, held.miniTop, kMiniWindowMargins),
             qPrintable(QStringLiteral("mini corner %1,%2").arg(held.miniLeft).arg(held.miniTop)));
    QCOMPARE(s.mainWindow()->pos(), QPoint(Px(held.mainLeft), Px(held.mainTop)));
    QCOMPARE(s.miniWindow()->pos(), QPoint(Px(held.miniLeft), Px(held.miniTop)));
    for (int32_t OptionSettings::*corner : {&OptionSettings::mainLeft, &OptionSettings::mainTop,
                                            &OptionSettings::miniLeft, &OptionSettings::miniTop})
        held.*corner = expected.*corner;
    QVERIFY(held == expected);

    Exercise(p);
    if (QTest::currentTestFailed()) return;
    CloseAndCheckTheWrite(p);
    if (QTest::currentTestFailed()) return;
    QVERIFY(p.look("initial.ini") == initialBefore);
}

// Places the program cannot write to. Running as root (as CI does) makes
// permissions meaningless, so the root-proof ways come first: a file where a
// folder must be, a folder that does not exist, and a full disk simulated by
// a file size limit. The permission cases run only for other users.
void HostileFilesTest::unwritablePlaces_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("withStartedFiles");
    QTest::addColumn<QString>("window");
    // Told at start that nothing will be kept: whenever the start itself
    // shows it, a full disk under files that exist included (the start's
    // trial save finds it). Writes of positions that fail later stay silent.
    QTest::addColumn<bool>("warned");
    QTest::newRow("data folder is a regular file") << "dataFolderIsAFile" << false << "firstRunSetup" << true;
    QTest::newRow("base folder is a regular file") << "baseIsAFile" << false << "firstRunSetup" << true;
    QTest::newRow("full disk, fresh folder") << "diskFull" << false << "firstRunSetup" << true;
    QTest::newRow("full disk, started files") << "diskFull" << true << "mainWindow" << true;
    QTest::newRow("read-only data folder") << "readOnlyData" << true << "mainWindow" << true;
    QTest::newRow("read-only base folder") << "readOnlyBase" << false << "firstRunSetup" << true;
}

void HostileFilesTest::unwritablePlaces() {
    QFETCH(QString, how);
    QFETCH(bool, withStartedFiles);
    QFETCH(QString, window);
    QFETCH(bool, warned);
    if (how.startsWith(QLatin1String("readOnly")) && ::geteuid() == 0)
        QSKIP("root writes into read-only folders; the root-proof cases cover this");
    Program p;
    const QString data = p.base + QStringLiteral("/kemlessdata");
    if (withStartedFiles) {
        p.put("initial.ini", FileWith(Line(Profile())));
        p.put("option.ini", FileWith(Line(Started())));
    }
    QString blockerPath;  // the file standing where a folder must be
    if (how == QLatin1String("dataFolderIsAFile")) {
        blockerPath = data;
    } else if (how == QLatin1String("baseIsAFile")) {
        p.base = blockerPath = p.dir.filePath(QStringLiteral("plain-file"));
    } else if (how == QLatin1String("readOnlyData")) {
        QVERIFY(QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner));
    } else if (how == QLatin1String("readOnlyBase")) {
        QVERIFY(QFile::setPermissions(p.base, QFile::ReadOwner | QFile::ExeOwner));
    }
    if (!blockerPath.isEmpty()) {
        QFile f(blockerPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a folder");
    }
    const Entry initialBefore = p.look("initial.ini");
    const Entry optionBefore = p.look("option.ini");

    // The size limit holds only for this case; SIGXFSZ would end the test.
    const bool diskFull = how == QLatin1String("diskFull");
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    if (diskFull) {
        rlimit none{0, saved.rlim_max};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &none), 0);
    }
    struct Restore {
        rlimit limit;
        void (*handler)(int);
        QStringList folders;
        ~Restore() {
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::signal(SIGXFSZ, handler);
            for (const QString& f : folders)
                QFile::setPermissions(f, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    } restore{saved, oldHandler, {data, p.dir.path()}};

    Session& s = p.start();
    QCOMPARE(VisibleWindow(), window);
    QCOMPARE(p.desktop.messages.size(), warned ? 1 : 0);
    if (warned) QVERIFY(p.desktop.messages.first().contains(QStringLiteral("kemlessdata")));
    if (withStartedFiles) {
        QVERIFY(s.initial() == Profile());
        QVERIFY(s.options() == Started());
        // The unload's write fails without a word; the old file stays whole.
        QVERIFY(s.mainWindow()->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(p.desktop.messages.size(), warned ? 1 : 0);
    } else {
        QVERIFY(s.initial() == DefaultInitialSettings(p.clock.now()));
        QVERIFY(s.options() == DefaultOptionSettings());
    }
    QVERIFY(p.look("initial.ini") == initialBefore);
    QVERIFY(p.look("option.ini") == optionBefore);
    if (!blockerPath.isEmpty()) QVERIFY(p.look(blockerPath) == FileWith("not a folder"));
    // Nothing half-written is left beside the files.
    if (QFileInfo(data).isDir()) {
        const QStringList left = QDir(data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const QString& name : left)
            QVERIFY2(name == QLatin1String("initial.ini") || name == QLatin1String("option.ini"),
                     qPrintable(name));
    }
}

QTEST_MAIN(HostileFilesTest)
#include "hostile_files_qtest.moc"

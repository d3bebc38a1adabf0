// The program as a user starts it: the real executable, its command line,
// where it keeps the record, and how it ends on a signal.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>

#include "records/settings_store.h"

using namespace kemless;

namespace {

// The executable under test: ctest names it (KEMLESS_PROGRAM).
const QString kProgram = qEnvironmentVariable("KEMLESS_PROGRAM");

// A home of its own for every start, so nothing the test does reaches the
// user's record, and the program runs without a display unless told.
struct Start {
    QTemporaryDir root;
    QString home = root.filePath(QStringLiteral("home"));
    QString cwd = root.filePath(QStringLiteral("somewhere"));
    QProcessEnvironment env;
    QProcess process;

    Start() {
        QDir().mkpath(home);
        QDir().mkpath(cwd);
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("run")));
        QDir().mkpath(root.filePath(QStringLiteral("run")));
        process.setWorkingDirectory(cwd);
    }
    void windowsOffscreen() { env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")); }

    int run(const QStringList& args) {
        process.setProcessEnvironment(env);
        process.start(kProgram, args);
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }
    QString out() { return QString::fromLocal8Bit(process.readAllStandardOutput()); }
    QString err() { return QString::fromLocal8Bit(process.readAllStandardError()); }

    // Started with windows; waits until the record exists, then ends it the
    // way a log-out does.
    bool startUntil(const QStringList& args, const QString& fileThatAppears) {
        windowsOffscreen();
        process.setProcessEnvironment(env);
        process.start(kProgram, args);
        if (!process.waitForStarted(10000)) return false;
        QElapsedTimer t;
        t.start();
        while (!QFileInfo::exists(fileThatAppears) && t.elapsed() < 15000) QTest::qWait(50);
        // The program takes SIGTERM over right before it loads its first
        // window, and reads it only once that window is up. A signal sent
        // earlier would kill it outright, which a slow machine (a sanitizer
        // build under load) shows; so wait for the handler, not for a time.
        while (!catchesTerminate() && t.elapsed() < 15000) QTest::qWait(50);
        return QFileInfo::exists(fileThatAppears) && catchesTerminate();
    }
    // A barrier in the running copy's event loop: a line it ignores, sent on
    // its socket. The copy takes the connection, reads the line and lets go
    // of it on turns of its loop after the first, so once it has closed the
    // connection, whatever its start left for the loop's first turn has run.
    bool loopHasTurned() const {
        for (const QString& folder :
             {root.filePath(QStringLiteral("run")), home + QStringLiteral("/.cache/kemless")}) {
            const QByteArray path = QFile::encodeName(folder + QStringLiteral("/kemless.socket"));
            if (!QFileInfo::exists(QString::fromLocal8Bit(path))) continue;
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd < 0) return false;
            bool closed = false;
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                ::write(fd, "marker\n", 7) == 7) {
                ::shutdown(fd, SHUT_WR);
                pollfd answer{fd, POLLIN, 0};
                char byte = 0;
                closed = ::poll(&answer, 1, 10000) == 1 && ::recv(fd, &byte, 1, 0) == 0;
            }
            ::close(fd);
            return closed;
        }
        return false;
    }
    bool catchesTerminate() const {
        QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
        if (!status.open(QIODevice::ReadOnly)) return false;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (!line.startsWith("SigCgt:")) continue;
            bool ok = false;
            const qulonglong caught = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (caught & (1ULL << (SIGTERM - 1))) != 0;
        }
        return false;
    }
    int terminate() {
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }
    // Every file under the temporary root apart from the runtime folder.
    QStringList filesMade() const {
        QStringList made;
        QDirIterator it(root.path(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = QDir(root.path()).relativeFilePath(it.next());
            if (!path.startsWith(QLatin1String("run")) && path != QLatin1String("home") &&
                path != QLatin1String("somewhere"))
                made << path;
        }
        made.sort();
        return made;
    }
};

}  // namespace

class MainTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFileInfo(kProgram).isExecutable(), "KEMLESS_PROGRAM names the program"); }

    void commandLineAnswersWithoutADisplayAndLeavesNoTrace_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        // clang-format off
        QTest::addRow("--help") << QStringList{"--help"} << 0 << "--data-dir" << "";
        QTest::addRow("-h") << QStringList{"-h"} << 0 << "kemless --help" << "";
        QTest::addRow("--version") << QStringList{"--version"} << 0 << "kemless 1.20\n" << "";
        QTest::addRow("unknown option") << QStringList{"--bogus"} << 2 << "" << "bogus";
        QTest::addRow("stray argument") << QStringList{"notes.txt"} << 2 << "" << "notes.txt";
        QTest::addRow("--data-dir without folder") << QStringList{"--data-dir"} << 2 << "" << "--data-dir";
        // clang-format on
    }
    void commandLineAnswersWithoutADisplayAndLeavesNoTrace() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        Start s;  // no DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM
        QCOMPARE(s.run(args), status);
        const QString out = s.out();
        const QString err = s.err();
        if (status == 0) {
            QVERIFY2(out.contains(stdoutHas), qPrintable(out));
            QVERIFY2(err.isEmpty(), qPrintable(err));
            if (args.first() == QLatin1String("--version")) QCOMPARE(out, stdoutHas);
        } else {
            QVERIFY(out.isEmpty());
            // One line saying what is wrong, then the usage.
            const QString first = err.section(QLatin1Char('\n'), 0, 0);
            QVERIFY2(first.contains(stderrHas), qPrintable(err));
            QVERIFY(err.contains(QStringLiteral("kemless --help")));
        }
        QCOMPARE(s.filesMade(), QStringList());
    }

    // Where the record lives, wherever the program is started from.
    void theRecordLivesInThePerUserDataFolder_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("xdgDataHome");  // relative to the root; empty: unset
        QTest::addColumn<QString>("folder");       // where kemlessdata appears, relative to the root
        QTest::addRow("default") << QStringList() << ""
                                 << "home/.local/share/kemless";
        QTest::addRow("XDG_DATA_HOME") << QStringList() << "xdg"
                                       << "xdg/kemless";
        QTest::addRow("--data-dir absolute") << QStringList{"--data-dir", "@root/stick"} << ""
                                             << "stick";
        QTest::addRow("--data-dir relative") << QStringList{"--data-dir", "rec"} << ""
                                             << "somewhere/rec";
        QTest::addRow("--data-dir . (working folder)") << QStringList{"--data-dir", "."} << ""
                                                       << "somewhere";
    }
    void theRecordLivesInThePerUserDataFolder() {
        QFETCH(QStringList, args);
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, folder);
        Start s;
        for (QString& a : args) a.replace(QStringLiteral("@root"), s.root.path());
        if (!xdgDataHome.isEmpty())
            s.env.insert(QStringLiteral("XDG_DATA_HOME"), s.root.filePath(xdgDataHome));
        const QString data = s.root.filePath(folder + QStringLiteral("/kemlessdata"));
        QVERIFY(s.startUntil(args, data + QStringLiteral("/option.ini")));
        QCOMPARE(s.terminate(), 0);
        QVERIFY(QFileInfo(data + QStringLiteral("/initial.ini")).isFile());
        // Nothing in the folder it was started from, unless asked for.
        if (!folder.startsWith(QLatin1String("somewhere")))
            QVERIFY(QDir(s.cwd).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        // A first start shows the setup and no complaint about the folder.
        QVERIFY2(!s.err().contains(QStringLiteral("kemlessdata")), "");
    }

    void aRecordAnOlderVersionLeftInTheWorkingFolderMovesIn() {
        Start s;
        SettingsStore old(s.cwd.toStdString());
        old.ensureDataFolder();
        InitialSettings in;
        in.quit = {2014, 3, 14, 21, 5};
        QVERIFY(old.writeInitial(in));
        OptionSettings o;
        o.quitStarted = 1;
        QVERIFY(old.writeOption(o));
        const SettingsStore fresh(s.home.toStdString() + "/.local/share/kemless");
        QVERIFY(s.startUntil({}, QString::fromStdString(fresh.optionPath())));
        QCOMPARE(s.terminate(), 0);
        QVERIFY(fresh.readInitial() == in);
        QCOMPARE(fresh.readOption()->quitStarted, 1);
        QVERIFY(old.readInitial() == in);  // the old files stay
    }

    void aSignalEndsItLikeItsExitAndOptionIniIsWritten() {
        Start s;
        const QString base = s.root.filePath(QStringLiteral("base"));
        SettingsStore store(base.toStdString());
        store.ensureDataFolder();
        InitialSettings in;
        in.quit = {2026, 11, 1, 9, 0};
        QVERIFY(store.writeInitial(in));
        OptionSettings o;
        o.quitStarted = 1;
        o.taxRatePercent = 150;  // repaired in memory by the refresh
        o.mainLeft = 3000;
        o.mainTop = 1500;
        QVERIFY(store.writeOption(o));
        const QString option = QString::fromStdString(store.optionPath());
        // Started with a record: the file exists already, so wait for the window.
        // The window is refreshed as it loads, before the loop that reads the
        // signal: nothing to wait for.
        QVERIFY(s.startUntil({"--data-dir", base}, option));
        QCOMPARE(s.terminate(), 0);
        const auto back = store.readOption();
        QVERIFY(back);
        QCOMPARE(back->taxRatePercent, 58);  // written by the unload
        QCOMPARE(back->quitStarted, 1);
    }

    void withoutAJapaneseFontTheUserIsToldWhichPackageToInstall() {
        Start s;
        // A font configuration that knows no font at all.
        const QString conf = s.root.filePath(QStringLiteral("fonts.conf"));
        QFile f(conf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            QStringLiteral(
                "<?xml version=\"1.0\"?>\n<fontconfig><dir>%1</dir><cachedir>%2</cachedir></fontconfig>\n")
                .arg(s.root.filePath(QStringLiteral("nofonts")), s.root.filePath(QStringLiteral("cache")))
                .toUtf8());
        f.close();
        QDir().mkpath(s.root.filePath(QStringLiteral("nofonts")));
        s.env.insert(QStringLiteral("FONTCONFIG_FILE"), conf);
        s.env.insert(QStringLiteral("QT_QPA_FONTDIR"), s.root.filePath(QStringLiteral("nofonts")));
        const QString base = s.root.filePath(QStringLiteral("base"));
        QVERIFY(s.startUntil({"--data-dir", base}, base + QStringLiteral("/kemlessdata/option.ini")));
        QElapsedTimer t;
        t.start();
        QString err;
        while (!err.contains(QStringLiteral("fonts-ipafont-gothic")) && t.elapsed() < 10000) {
            QTest::qWait(100);
            err += s.err();
        }
        QVERIFY2(err.contains(QStringLiteral("fonts-ipafont-gothic")), qPrintable(err));
        QVERIFY(err.contains(QStringLiteral("fonts-noto-cjk")));
        QVERIFY(err.contains(QStringLiteral("日本語")));
        QCOMPARE(s.terminate(), 0);
    }

    void withAJapaneseFontNothingIsSaid() {
        Start s;
        const QString base = s.root.filePath(QStringLiteral("base"));
        QVERIFY(s.startUntil({"--data-dir", base}, base + QStringLiteral("/kemlessdata/option.ini")));
        // The fonts are looked at on the loop's first turn.
        QVERIFY(s.loopHasTurned());
        QCOMPARE(s.terminate(), 0);
        const QString err = s.err();
        QVERIFY2(!err.contains(QStringLiteral("fonts-ipafont-gothic")), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(MainTest)
#include "main_qtest.moc"

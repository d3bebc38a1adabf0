// The browser launch through the desktop's opener: a fake xdg-open on PATH
// that takes the address or fails, and what the user then sees.
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "desktop/launcher.h"
#include "support/session_fixture.h"

using namespace kemless;

namespace {

const QString kLaunchFailed =
    QStringLiteral("エラーです。フォルダオプションの関連付けなどを確認してください");

// A folder put in front of PATH with an xdg-open that records its argument
// and exits with `status`; no opener at all when `status` is empty. The
// argument is written aside and renamed into place, so a test that waits for
// the file never reads it half-written (the shell creates the file before
// printf fills it, and a slow machine shows the gap).
class FakeOpener {
public:
    // `noise`, when given, is what the opener writes to its output and its
    // error stream, as the real one does when it finds no browser.
    explicit FakeOpener(std::optional<int> status, const QString& noise = {}) : oldPath_(qgetenv("PATH")) {
        if (status) {
            QFile script(dir_.filePath(QStringLiteral("xdg-open")));
            script.open(QIODevice::WriteOnly);
            const QString say =
                noise.isEmpty() ? QString() : QStringLiteral("echo '%1'\necho '%1' >&2\n").arg(noise);
            script.write(
                QStringLiteral("#!/bin/sh\n%3printf '%s' \"$1\" > '%1.part'\nmv '%1.part' '%1'\nexit %2\n")
                    .arg(argumentFile(), QString::number(*status), say)
                    .toUtf8());
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("PATH", dir_.path().toUtf8() + ':' + oldPath_);
        } else {
            // Only a folder without an opener: the system's one is out of reach.
            qputenv("PATH", dir_.path().toUtf8());
        }
    }
    ~FakeOpener() { qputenv("PATH", oldPath_); }

    QString argumentFile() const { return dir_.filePath(QStringLiteral("argument")); }
    QString argument() const {
        QFile f(argumentFile());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    QTemporaryDir dir_;
    QByteArray oldPath_;
};

}  // namespace

class LauncherTest : public QObject {
    Q_OBJECT
private slots:
    void answerFollowsTheOpenersExitStatus_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("ok");
        QTest::addRow("address taken") << 0 << true;
        QTest::addRow("no browser for it (4)") << 4 << false;
        QTest::addRow("a tool it needs is missing (3)") << 3 << false;
        QTest::addRow("bad address (1)") << 1 << false;
    }
    void answerFollowsTheOpenersExitStatus() {
        QFETCH(int, status);
        QFETCH(bool, ok);
        FakeOpener opener(status);
        QObject context;
        std::optional<bool> answer;
        const QUrl url(QStringLiteral("http://my.blog.jp/diary?day=1"));
        LaunchUrl(url, &context, [&answer](bool taken) { answer = taken; });
        // Not answered from inside the call: the window goes on at once.
        QVERIFY(!answer);
        QTRY_VERIFY(answer.has_value());
        QCOMPARE(*answer, ok);
        QCOMPARE(opener.argument(), url.toString());
    }

    void theOpenersOwnOutputStaysOutOfTheProgramsStreams() {
        const QString noise = QStringLiteral("xdg-open: no method available for opening");
        FakeOpener opener(4, noise);
        // The program's own output and error stream, caught in a file for
        // the time of the launch.
        QTemporaryFile caught;
        QVERIFY(caught.open());
        struct Redirect {
            explicit Redirect(int to) {
                std::fflush(stdout);
                std::fflush(stderr);
                ::dup2(to, STDOUT_FILENO);
                ::dup2(to, STDERR_FILENO);
            }
            // Given back however the test ends, so its report is seen.
            ~Redirect() {
                ::dup2(savedOut, STDOUT_FILENO);
                ::dup2(savedErr, STDERR_FILENO);
                ::close(savedOut);
                ::close(savedErr);
            }
            int savedOut = ::dup(STDOUT_FILENO);
            int savedErr = ::dup(STDERR_FILENO);
        };
        std::optional<bool> answer;
        {
            Redirect redirect(caught.handle());
            QObject context;
            LaunchUrl(QUrl(QStringLiteral("http://my.blog.jp/")), &context,
                      [&answer](bool taken) { answer = taken; });
            QTRY_VERIFY(answer.has_value());
        }
        // The opener did run and fail; only its words are kept away.
        QCOMPARE(*answer, false);
        QCOMPARE(opener.argument(), QStringLiteral("http://my.blog.jp/"));
        caught.seek(0);
        QVERIFY2(!caught.readAll().contains(noise.toUtf8()), "the opener wrote into the program's streams");
    }

    void answerForAContextThatIsGoneIsDropped() {
        FakeOpener opener(4);
        bool called = false;
        auto* context = new QObject;
        LaunchUrl(QUrl(QStringLiteral("http://a.jp/")), context, [&called](bool) { called = true; });
        delete context;
        QTRY_VERIFY(QFile::exists(opener.argumentFile()));
        QTest::qWait(300);
        QVERIFY(!called);
    }

    void anAnswerThatOpensAMessageBoxLoopIsSafe() {
        // The failure is shown in a message box, which runs an event loop of
        // its own inside the answer; the launch must not be re-entered there.
        FakeOpener opener(4);
        QObject context;
        int answers = 0;
        LaunchUrl(QUrl(QStringLiteral("http://a.jp/")), &context, [&answers](bool) {
            ++answers;
            QEventLoop box;
            QTimer::singleShot(300, &box, &QEventLoop::quit);
            box.exec();
        });
        QTRY_COMPARE(answers, 1);
        QTest::qWait(400);
        QCOMPARE(answers, 1);
    }

    void withoutAnOpenerQtsOwnLaunchAnswers() {
        FakeOpener none(std::nullopt);
        QObject context;
        std::optional<bool> answer;
        LaunchUrl(QUrl(QStringLiteral("http://a.jp/")), &context, [&answer](bool taken) { answer = taken; });
        QVERIFY(!answer);
        // The offscreen platform has no browser to offer.
        QTRY_VERIFY(answer.has_value());
        QCOMPARE(*answer, false);
    }

    void theBlogButtonTellsTheUserWhenNoBrowserTookThePage_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("messages");
        QTest::addRow("opener succeeds") << 0 << QStringList();
        QTest::addRow("opener fails") << 4 << QStringList{kLaunchFailed};
    }
    void theBlogButtonTellsTheUserWhenNoBrowserTookThePage() {
        QFETCH(int, status);
        QFETCH(QStringList, messages);
        FakeOpener opener(status);
        SessionFixture fx;
        fx.desktop.realLauncher = true;
        OptionSettings o;
        o.linkUrl = "my.blog.jp/diary";
        fx.writeStarted(SampleInitial(), o);
        MainWindow* w = fx.start().mainWindow();
        w->findChild<QPushButton*>(QStringLiteral("openLinkButton"))->click();
        QTRY_VERIFY(QFile::exists(opener.argumentFile()));
        QCOMPARE(opener.argument(), QStringLiteral("http://my.blog.jp/diary"));
        QTRY_COMPARE(fx.desktop.messages, messages);
        QTest::qWait(100);
        QCOMPARE(fx.desktop.messages, messages);  // once, not again
        QVERIFY(w->isVisible());
        fx.stop();
    }
};

QTEST_MAIN(LauncherTest)
#include "launcher_qtest.moc"

// The browser launch through the desktop's opener: a fake xdg-open on PATH
// that takes the address or fails, and what the user then sees.
#include <unistd.h>

#include <QAction>
#include <QCoreApplication>
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
#include "support/fake_opener.h"

using namespace kemless;

// What the application object holds: a launch's watch of its opener while
// the opener runs. The watch answers before it goes, so once the count is
// back to what it was before a launch, that launch has said all it will.
int Held() { return int(QCoreApplication::instance()->children().size()); }

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
        const int held = Held();
        LaunchUrl(QUrl(QStringLiteral("http://a.jp/")), context, [&called](bool) { called = true; });
        delete context;
        QTRY_VERIFY(QFile::exists(opener.argumentFile()));
        QTRY_COMPARE(Held(), held);
        QVERIFY(!called);
    }

    void anAnswerThatOpensAMessageBoxLoopIsSafe() {
        // The failure is shown in a message box, which runs an event loop of
        // its own inside the answer; the launch must not be re-entered there.
        FakeOpener opener(4);
        QObject context;
        int answers = 0;
        const int held = Held();
        LaunchUrl(QUrl(QStringLiteral("http://a.jp/")), &context, [&answers](bool) {
            ++answers;
            QEventLoop box;
            QTimer::singleShot(300, &box, &QEventLoop::quit);
            box.exec();
        });
        QTRY_COMPARE(answers, 1);
        QTRY_COMPARE(Held(), held);
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
};

QTEST_MAIN(LauncherTest)
#include "launcher_qtest.moc"

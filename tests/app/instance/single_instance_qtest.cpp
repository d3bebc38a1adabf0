// One running copy per user: the lock, the stale lock of a crashed copy, and
// a later start asking the running copy to come forward.
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <future>
#include <vector>

#include "instance/single_instance.h"

using namespace kemless;

Q_DECLARE_METATYPE(kemless::RunningCopyAnswer)

namespace {

// The CPU time this process has used, user and system.
double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A later start asks from a thread of its own: it waits for the answer,
// which the running copy (this thread's event loop) gives.
RunningCopyAnswer Ask(SingleInstance& later, int timeoutMs = 3000, const QString& window = QString()) {
    auto answer = std::async(std::launch::async, [&later, timeoutMs, window] {
        return later.askRunningCopyToShow(timeoutMs, window);
    });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) QTest::qWait(10);
    return answer.get();
}

// A socket at the running copy's place that takes connections as `serve`
// says, in a process of its own: a copy stuck in a long task, or one from
// before the answers.
pid_t FakeRunningCopy(const QString& folder, void (*serve)(int listener)) {
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/kemless.socket"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        serve(fd);
        ::_exit(0);
    }
    ::close(fd);
    return child;
}

int OpenDescriptors() { return int(QDir(QStringLiteral("/proc/self/fd")).count()); }

// A connection to the running copy's socket that has sent nothing yet.
int Connect(const QString& folder) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(folder + QStringLiteral("/kemless.socket")).constData(),
                 sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return fd;
}

// True once the running copy has closed its end of `fd`: the peer reads the
// end of the stream, and the copy is done with what was sent.
bool TheRunningCopyHasClosed(int fd) {
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void secondLockFailsUntilTheFirstIsGone() {
        QTemporaryDir dir;
        auto first = std::make_unique<SingleInstance>(dir.path());
        QVERIFY(first->acquire());
        QVERIFY(first->acquire());  // asking again in the same copy is fine
        SingleInstance second(dir.path());
        QVERIFY(!second.acquire());
        first.reset();
        QVERIFY(second.acquire());
    }

    void staleLockOfACrashedCopyIsTakenOver() {
        QTemporaryDir dir;
        const QString lockPath = dir.filePath(QStringLiteral("kemless.lock"));
        // A copy that takes the lock and dies without releasing it.
        const pid_t child = fork();
        if (child == 0) {
            QLockFile held(lockPath);
            held.lock();
            _exit(0);
        }
        QVERIFY(child > 0);
        int status = 0;
        waitpid(child, &status, 0);
        QVERIFY(QFile::exists(lockPath));
        SingleInstance instance(dir.path());
        QVERIFY(instance.acquire());
    }

    void laterStartAsksTheRunningCopyToShowItself() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        QSignalSpy shown(&running, &SingleInstance::showRequested);

        SingleInstance later(dir.path());
        QVERIFY(!later.acquire());
        QCOMPARE(Ask(later), RunningCopyAnswer::Shown);
        QCOMPARE(shown.count(), 1);
    }

    void socketLeftByACrashedCopyDoesNotBlockTheNextStart() {
        QTemporaryDir dir;
        const QString socketPath = dir.filePath(QStringLiteral("kemless.socket"));
        // A socket file nobody listens on, as a killed copy leaves it.
        const pid_t child = fork();
        if (child == 0) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                         sizeof address.sun_path - 1);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            ::listen(fd, 1);
            _exit(0);  // no close, no unlink: the file stays
        }
        QVERIFY(child > 0);
        int status = 0;
        waitpid(child, &status, 0);
        QVERIFY(QFile::exists(socketPath));

        SingleInstance next(dir.path());
        QVERIFY(next.acquire());
        QSignalSpy shown(&next, &SingleInstance::showRequested);
        SingleInstance later(dir.path());
        QVERIFY(!later.acquire());
        QCOMPARE(Ask(later), RunningCopyAnswer::Shown);
        QCOMPARE(shown.count(), 1);
    }

    // A later start may ask for a window by name; a name is a few lower-case
    // letters, and any other line is ignored.
    void aWindowIsAskedForByName_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("shows");
        QTest::addColumn<QString>("window");
        QTest::addRow("plain show") << QByteArray("show\n") << 1 << "";
        QTest::addRow("craving") << QByteArray("show craving\n") << 0 << "craving";
        QTest::addRow("sixteen letters") << QByteArray("show abcdefghijklmnop\n") << 0 << "abcdefghijklmnop";
        QTest::addRow("seventeen letters") << QByteArray("show abcdefghijklmnopq\n") << 0 << "";
        QTest::addRow("capitals") << QByteArray("show Craving\n") << 0 << "";
        QTest::addRow("a blank inside") << QByteArray("show cra ving\n") << 0 << "";
        QTest::addRow("no name") << QByteArray("show \n") << 0 << "";
        QTest::addRow("no line end") << QByteArray("show health") << 0 << "";
        QTest::addRow("a path") << QByteArray("show ../x\n") << 0 << "";
        QTest::addRow("two lines") << QByteArray("show health\nshow\n") << 0 << "";
    }
    void aWindowIsAskedForByName() {
        QFETCH(QByteArray, line);
        QFETCH(int, shows);
        QFETCH(QString, window);
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        QSignalSpy shown(&running, &SingleInstance::showRequested);
        QSignalSpy asked(&running, &SingleInstance::windowRequested);
        const int fd = Connect(dir.path());
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, line.constData(), size_t(line.size())), ssize_t(line.size()));
        ::shutdown(fd, SHUT_WR);
        // The running copy closes its end once it has dealt with the line.
        QTRY_VERIFY(TheRunningCopyHasClosed(fd));
        ::close(fd);
        QCOMPARE(shown.count(), shows);
        QCOMPARE(asked.count(), window.isEmpty() ? 0 : 1);
        if (!window.isEmpty()) QCOMPARE(asked.first().first().toString(), window);
    }

    void aLaterStartSendsTheNameItWasGiven() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        QSignalSpy shown(&running, &SingleInstance::showRequested);
        QSignalSpy asked(&running, &SingleInstance::windowRequested);
        SingleInstance later(dir.path());
        QCOMPARE(Ask(later, 3000, QStringLiteral("record")), RunningCopyAnswer::Shown);
        QCOMPARE(asked.count(), 1);
        QCOMPARE(asked.first().first().toString(), QStringLiteral("record"));
        QCOMPARE(shown.count(), 0);
    }

    void nobodyAnsweringIsReportedNotWaitedFor() {
        QTemporaryDir dir;
        SingleInstance alone(dir.path());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(alone.askRunningCopyToShow(500), RunningCopyAnswer::NoAnswer);
        QVERIFY(timer.elapsed() < 2000);
    }

    // The running copy answers what it did, as whoever acted on the request
    // said: what it was asked, or what stood in the way.
    void theRunningCopyAnswersWhatItDid_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<RunningCopyAnswer>("answer");
        QTest::addRow("window opened") << "record" << RunningCopyAnswer::Shown;
        QTest::addRow("settings instead") << "craving" << RunningCopyAnswer::Settings;
        QTest::addRow("setup instead") << "" << RunningCopyAnswer::Setup;
        QTest::addRow("after the setup") << "health" << RunningCopyAnswer::AfterSetup;
    }
    void theRunningCopyAnswersWhatItDid() {
        QFETCH(QString, window);
        QFETCH(RunningCopyAnswer, answer);
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        auto act = [&running, answer] { running.answerWith(answer); };
        connect(&running, &SingleInstance::showRequested, this, act);
        connect(&running, &SingleInstance::windowRequested, this, act);
        SingleInstance later(dir.path());
        QCOMPARE(Ask(later, 3000, window), answer);
        // The next request starts from "done as asked" again.
        disconnect(&running, nullptr, this, nullptr);
        QCOMPARE(Ask(later, 3000, window), RunningCopyAnswer::Shown);
    }

    // A copy that takes the request and never answers (stuck, or its queue
    // full), and one from before the answers that closes without a word.
    void aCopyThatNeverAnswersIsToldFromAnOlderOne_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<RunningCopyAnswer>("answer");
        QTest::addRow("never accepts") << 0 << RunningCopyAnswer::NoAnswer;
        QTest::addRow("reads, never answers") << 1 << RunningCopyAnswer::NoAnswer;
        QTest::addRow("an older copy closes") << 2 << RunningCopyAnswer::Told;
    }
    void aCopyThatNeverAnswersIsToldFromAnOlderOne() {
        QFETCH(int, kind);
        QFETCH(RunningCopyAnswer, answer);
        QTemporaryDir dir;
        static int serving;
        serving = kind;
        const pid_t copy = FakeRunningCopy(dir.path(), [](int listener) {
            if (serving == 0) {
                ::sleep(10);
                return;
            }
            const int peer = ::accept(listener, nullptr, nullptr);
            char line[64];
            (void)!::read(peer, line, sizeof line);
            if (serving == 1) ::sleep(10);
            ::close(peer);
        });
        QVERIFY(copy > 0);
        SingleInstance later(dir.path());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(later.askRunningCopyToShow(700, QStringLiteral("record")), answer);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        ::kill(copy, SIGKILL);
        int status = 0;
        ::waitpid(copy, &status, 0);
    }

    void otherTextOnTheSocketIsIgnored() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        QSignalSpy shown(&running, &SingleInstance::showRequested);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path,
                     QFile::encodeName(dir.filePath(QStringLiteral("kemless.socket"))).constData(),
                     sizeof address.sun_path - 1);
        const int stranger = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::connect(stranger, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(::write(stranger, "quit\n", 5), ssize_t{5});
        ::shutdown(stranger, SHUT_WR);
        QTRY_VERIFY(TheRunningCopyHasClosed(stranger));
        ::close(stranger);
        QCOMPARE(shown.count(), 0);
        // The socket is this user's alone.
        struct stat st {};
        QCOMPARE(::stat(address.sun_path, &st), 0);
        QCOMPARE(st.st_mode & 077, 0u);
    }

    void aFloodOfSilentPeersNeitherSpinsNorShutsOutALaterStart() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        QSignalSpy shown(&running, &SingleInstance::showRequested);
        const int baseline = OpenDescriptors();
        // Another process opens connection after connection for a while and
        // never sends a line, then holds them all and goes.
        const pid_t flood = ::fork();
        if (flood == 0) {
            std::vector<int> silent;
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 1500 && silent.size() < 800) {
                const int fd = Connect(dir.path());
                if (fd >= 0) silent.push_back(fd);
                ::usleep(1000);
            }
            ::sleep(2);
            ::_exit(0);
        }
        QVERIFY(flood > 0);
        const double before = CpuSeconds();
        int most = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 2500) {
            QTest::qWait(50);
            most = std::max(most, OpenDescriptors());
        }
        const double spent = CpuSeconds() - before;
        int status = 0;
        ::waitpid(flood, &status, 0);
        // A handful of peers at a time, and the loop asleep in between.
        QVERIFY2(most <= baseline + 6,
                 qPrintable(QStringLiteral("%1 descriptors, %2 before").arg(most).arg(baseline)));
        QVERIFY2(spent < 0.5, qPrintable(QStringLiteral("%1 s of CPU").arg(spent)));
        // Once the flood has gone (the running copy has let go of every
        // connection it left), a later start is heard at once.
        QTRY_VERIFY(OpenDescriptors() <= baseline);
        SingleInstance later(dir.path());
        QCOMPARE(Ask(later), RunningCopyAnswer::Shown);
        QCOMPARE(shown.count(), 1);
    }

    void aPeerThatSendsNoLineIsDroppedAfterASecond() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        const int silent = Connect(dir.path());
        QElapsedTimer t;
        t.start();
        // The running copy closes its end: the peer reads the end of the stream.
        char byte = 0;
        QTRY_VERIFY_WITH_TIMEOUT(::read(silent, &byte, 1) == 0, 4000);
        QVERIFY2(t.elapsed() >= 900, qPrintable(QString::number(t.elapsed())));
        ::close(silent);
    }

    void runningOutOfDescriptorsPausesAcceptingInsteadOfSpinning() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        QSignalSpy shown(&running, &SingleInstance::showRequested);
        const int client = Connect(dir.path());
        QVERIFY(client >= 0);
        // No descriptor left to accept the connection with.
        rlimit saved{};
        ::getrlimit(RLIMIT_NOFILE, &saved);
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit none{rlim_t(lowestFree), saved.rlim_max};
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
        QCOMPARE(::write(client, "show\n", 5), ssize_t{5});
        const double before = CpuSeconds();
        QTest::qWait(1200);
        const double spent = CpuSeconds() - before;
        ::setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY2(spent < 0.3, qPrintable(QStringLiteral("%1 s of CPU in 1.2 s").arg(spent)));
        QCOMPARE(shown.count(), 0);
        // With descriptors back, the waiting start is served.
        QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 3000);
        ::close(client);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_qtest.moc"

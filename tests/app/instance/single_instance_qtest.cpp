// One running copy per user: the lock, the stale lock of a crashed copy, and
// a later start asking the running copy to come forward.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "instance/single_instance.h"

using namespace kemless;

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
        QVERIFY(later.askRunningCopyToShow());
        QTRY_COMPARE(shown.count(), 1);
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
        QVERIFY(later.askRunningCopyToShow());
        QTRY_COMPARE(shown.count(), 1);
    }

    void nobodyAnsweringIsReportedNotWaitedFor() {
        QTemporaryDir dir;
        SingleInstance alone(dir.path());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!alone.askRunningCopyToShow(500));
        QVERIFY(timer.elapsed() < 2000);
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
        ::close(stranger);
        QTest::qWait(200);
        QCOMPARE(shown.count(), 0);
        // The socket is this user's alone.
        struct stat st {};
        QCOMPARE(::stat(address.sun_path, &st), 0);
        QCOMPARE(st.st_mode & 077, 0u);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_qtest.moc"

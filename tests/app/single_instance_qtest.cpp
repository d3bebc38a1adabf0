#include <QLockFile>
#include <sys/wait.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QTest>

#include "app/single_instance.h"

using namespace kemless;

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void secondLockFailsUntilTheFirstIsGone() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kemless.lock"));
        auto first = std::make_unique<SingleInstanceLock>(path);
        QVERIFY(first->acquire());
        QVERIFY(first->acquire());  // asking again in the same copy is fine
        SingleInstanceLock second(path);
        QVERIFY(!second.acquire());
        first.reset();
        QVERIFY(second.acquire());
    }

    void staleLockOfACrashedCopyIsTakenOver() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kemless.lock"));
        // A copy that takes the lock and dies without releasing it.
        const pid_t child = fork();
        if (child == 0) {
            QLockFile held(path);
            held.lock();
            _exit(0);
        }
        QVERIFY(child > 0);
        int status = 0;
        waitpid(child, &status, 0);
        QVERIFY(QFile::exists(path));
        SingleInstanceLock lock(path);
        QVERIFY(lock.acquire());
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_qtest.moc"

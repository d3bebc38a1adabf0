#include "desktop/launcher.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>

extern char** environ;

namespace kemless {
namespace {

// How long an opener may run before the address counts as taken.
constexpr int kOpenerGraceMs = 8000;

// Every answer travels through the event loop, never from inside the call or
// a notification: whoever receives it may open a message box with an event
// loop of its own. Dropped when `context` is gone by then.
void AnswerLater(QPointer<QObject> context, std::function<void(bool)> done, bool ok) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [context, done = std::move(done), ok] {
            if (context && done) done(ok);
        },
        Qt::QueuedConnection);
}

// Watches one opener process until it ends, then reaps it. With a pidfd the
// kernel says when the process ends; on older kernels the process is polled.
class OpenerWatch : public QObject {
public:
    // Owned by the application, so a watch still running at exit goes with it.
    OpenerWatch(pid_t pid, QObject* context, std::function<void(bool)> done)
        : QObject(QCoreApplication::instance()), pid_(pid), context_(context), done_(std::move(done)) {
        started_.start();
#ifdef SYS_pidfd_open
        pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
#endif
        if (pidfd_ >= 0) {
            notifier_ = new QSocketNotifier(pidfd_, QSocketNotifier::Read, this);
            connect(notifier_, &QSocketNotifier::activated, this, [this] { reap(); });
            grace_ = new QTimer(this);
            grace_->setSingleShot(true);
            connect(grace_, &QTimer::timeout, this, [this] { report(true); });
            grace_->start(kOpenerGraceMs);
        } else {
            poll_ = new QTimer(this);
            connect(poll_, &QTimer::timeout, this, &OpenerWatch::poll);
            poll_->start(100);
        }
    }
    ~OpenerWatch() override {
        if (pidfd_ >= 0) ::close(pidfd_);
    }

private:
    void poll() {
        if (!reap() && started_.elapsed() > kOpenerGraceMs) {
            report(true);
            // Keep reaping, slowly, so the opener never lingers as a zombie.
            poll_->setInterval(2000);
        }
    }

    // True when the opener has ended: reaped, answered, and this watch done.
    bool reap() {
        if (finished_) return true;
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == 0) return false;
        finished_ = true;
        if (notifier_ != nullptr) notifier_->setEnabled(false);
        if (poll_ != nullptr) poll_->stop();
        report(r == pid_ && WIFEXITED(status) && WEXITSTATUS(status) == 0);
        deleteLater();
        return true;
    }

    void report(bool ok) {
        if (reported_) return;
        reported_ = true;
        if (grace_ != nullptr) grace_->stop();
        AnswerLater(context_, done_, ok);
    }

    pid_t pid_;
    int pidfd_ = -1;
    QPointer<QObject> context_;
    std::function<void(bool)> done_;
    QElapsedTimer started_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* grace_ = nullptr;
    QTimer* poll_ = nullptr;
    bool reported_ = false;
    bool finished_ = false;
};

// The opener as a direct child, so its exit status is ours to read. It is not
// killed when the program ends: a browser it started stays open.
pid_t SpawnOpener(const QUrl& url) {
    const QByteArray address = url.toEncoded();
    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(address.constData()), nullptr};
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    // Start it with no signal blocked and every handler at its default.
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    // The opener's own chatter (xdg-open without a browser writes a page of
    // errors) stays out of the program's output; the failure is reported by
    // its exit status.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, program, &files, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attr);
    return rc == 0 ? pid : -1;
}

}  // namespace

void LaunchUrl(const QUrl& url, QObject* context, std::function<void(bool)> done) {
    const pid_t pid = SpawnOpener(url);
    if (pid < 0) {
        // No xdg-open: Qt tries the browsers it knows by name.
        AnswerLater(context, std::move(done), QDesktopServices::openUrl(url));
        return;
    }
    new OpenerWatch(pid, context, std::move(done));
}

}  // namespace kemless

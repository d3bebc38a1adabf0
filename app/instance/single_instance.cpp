#include "instance/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "records/user_folders.h"

namespace kemless {
namespace {

// What a later start sends; anything else on the socket is ignored.
// Peers served at once, how long one may take to send its line, and how soon
// accepting resumes after the descriptors ran out.
constexpr int kMaxPeers = 4;
constexpr int kPeerTimeoutMs = 1000;
constexpr int kRetryAcceptMs = 500;
constexpr char kShowRequest[] = "show\n";
constexpr size_t kShowRequestLength = sizeof kShowRequest - 1;

// The socket's address; false when the path does not fit (sockets have a
// short limit), in which case the copies simply cannot talk.
bool Address(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

}  // namespace

// One connection from a later start: read until its line is complete, or
// drop it when no whole line came within its time.
class SingleInstance::Peer : public QObject {
public:
    Peer(int fd, SingleInstance* owner)
        : QObject(owner), fd_(fd), notifier_(fd, QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, [this, owner] {
            char buffer[16];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0 && received_.size() < 64) received_.append(buffer, n);
            if (n > 0 && !received_.endsWith('\n')) return;
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
            notifier_.setEnabled(false);
            if (received_ == QByteArray(kShowRequest, kShowRequestLength)) emit owner->showRequested();
            deleteLater();
        });
        // A later start sends its line at once; a peer that sends none holds
        // a place that a real start may need.
        QTimer::singleShot(kPeerTimeoutMs, this, [this] {
            notifier_.setEnabled(false);
            deleteLater();
        });
        ++owner->peers_;
    }
    ~Peer() override {
        ::close(fd_);
        auto* owner = static_cast<SingleInstance*>(parent());
        --owner->peers_;
        owner->resumeAccepting();
    }

private:
    int fd_;
    QSocketNotifier notifier_;
    QByteArray received_;
};

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent),
      socketPath_(folder + QStringLiteral("/kemless.socket")),
      lock_(folder + QStringLiteral("/kemless.lock")) {
    // Held for the whole run: never stale by age, only when its owner is gone.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    // The peers go first, while what they tell on leaving still exists.
    listening_ = nullptr;
    const QObjectList children = this->children();
    for (QObject* child : children)
        if (auto* peer = dynamic_cast<Peer*>(child)) delete peer;
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(QFile::encodeName(socketPath_).constData());
    }
}

bool SingleInstance::acquire() {
    if (lock_.isLocked()) return true;
    if (lock_.tryLock(0)) {
        listen();
        return true;
    }
    // A folder we cannot write to must not lock the user out of the program.
    return lock_.error() == QLockFile::PermissionError;
}

void SingleInstance::listen() {
    sockaddr_un address{};
    if (!Address(socketPath_, address)) return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    // We hold the lock, so a socket already there is a crashed copy's.
    ::unlink(address.sun_path);
    // Made readable and writable by this user alone.
    const mode_t oldMask = ::umask(077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(fd, 4) != 0) {
        ::close(fd);
        return;
    }
    listener_ = fd;
    listening_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(listening_, &QSocketNotifier::activated, this, &SingleInstance::acceptPeers);
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryAcceptMs);
    connect(&retry_, &QTimer::timeout, this, &SingleInstance::resumeAccepting);
}

void SingleInstance::acceptPeers() {
    while (peers_ < kMaxPeers) {
        const int peer = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer >= 0) {
            new Peer(peer, this);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // Out of descriptors: the waiting connection stays in the queue
            // and would wake the loop at once, again and again. Listen again
            // a little later instead.
            listening_->setEnabled(false);
            retry_.start();
        }
        return;
    }
    // A handful of peers at a time: the rest wait in the queue (or are
    // refused by the kernel) until one has been served or dropped.
    listening_->setEnabled(false);
}

void SingleInstance::resumeAccepting() {
    if (listening_ == nullptr || retry_.isActive() || peers_ >= kMaxPeers) return;
    listening_->setEnabled(true);
}

bool SingleInstance::askRunningCopyToShow(int timeoutMs) {
    sockaddr_un address{};
    if (!Address(socketPath_, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    bool sent = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN ||
        errno == EINPROGRESS) {
        pollfd writable{fd, POLLOUT, 0};
        if (::poll(&writable, 1, timeoutMs) == 1 && (writable.revents & POLLOUT) != 0) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            sent = error == 0 && ::send(fd, kShowRequest, kShowRequestLength, MSG_NOSIGNAL) ==
                                     static_cast<ssize_t>(kShowRequestLength);
        }
    }
    ::close(fd);
    return sent;
}

bool SingleInstance::IsPrivateFolder(const QString& folder) {
    struct stat st {};
    // lstat: a link is never taken for the folder it points at.
    if (folder.isEmpty() || ::lstat(QFile::encodeName(folder).constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString SingleInstance::DefaultFolder() {
    // The desktop's runtime folder, when it is what it should be: ours, 0700.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/')) && IsPrivateFolder(runtime)) return runtime;
    // Without one: a folder of ours inside the user's own cache folder, never
    // a name in the shared temporary folder that another user could make
    // first. Made 0700; one of ours that is looser is tightened.
    const std::string cacheBytes =
        XdgBaseFolder(std::getenv("XDG_CACHE_HOME"), HomeFolder(std::getenv("HOME")), ".cache");
    if (cacheBytes.empty()) return {};
    const QString cache = QFile::decodeName(QByteArray::fromStdString(cacheBytes));
    const QString own = cache + QStringLiteral("/kemless");
    QDir().mkpath(cache);
    const QByteArray path = QFile::encodeName(own);
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
        (st.st_mode & 077) != 0)
        ::chmod(path.constData(), 0700);
    return IsPrivateFolder(own) ? own : QString();
}

}  // namespace kemless

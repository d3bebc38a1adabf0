#include "instance/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "records/user_folders.h"

namespace kemless {
namespace {

// Peers served at once, how long one may take to send its line, and how soon
// accepting resumes after the descriptors ran out.
constexpr int kMaxPeers = 4;
constexpr int kPeerTimeoutMs = 1000;
constexpr int kRetryAcceptMs = 500;
// What a later start sends: "show\n" to bring the display window forward,
// or "show NAME\n" for one of the windows by name; anything else on the
// socket is ignored.
constexpr char kShowRequest[] = "show\n";
constexpr char kShowWindowPrefix[] = "show ";
constexpr int kMaxWindowName = 16;
// The running copy's answer, one line after it has acted on a request; a
// copy from before the answers closes without one.
struct AnswerWord {
    RunningCopyAnswer answer;
    const char* line;
};
constexpr AnswerWord kAnswerWords[] = {{RunningCopyAnswer::Shown, "shown\n"},
                                       {RunningCopyAnswer::Settings, "settings\n"},
                                       {RunningCopyAnswer::Setup, "setup\n"},
                                       {RunningCopyAnswer::AfterSetup, "later\n"}};
// Long enough for any answer line.
constexpr qsizetype kMaxAnswer = 32;

const char* LineOf(RunningCopyAnswer answer) {
    for (const AnswerWord& w : kAnswerWords)
        if (w.answer == answer) return w.line;
    return kAnswerWords[0].line;
}

// An answer line read back; a line this copy does not know (a newer copy's)
// still says the request was taken.
RunningCopyAnswer AnswerOf(const QByteArray& line) {
    for (const AnswerWord& w : kAnswerWords)
        if (line == w.line) return w.answer;
    return RunningCopyAnswer::Told;
}

// The window a "show NAME\n" line asks for: a few lower-case letters; an
// empty name for any other line.
QString RequestedWindow(const QByteArray& line) {
    if (!line.startsWith(kShowWindowPrefix) || !line.endsWith('\n')) return {};
    const QByteArray name = line.mid(qsizetype(sizeof kShowWindowPrefix - 1)).chopped(1);
    if (name.isEmpty() || name.size() > kMaxWindowName) return {};
    for (const char c : name)
        if (c < 'a' || c > 'z') return {};
    return QString::fromLatin1(name);
}

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
            const QString window = RequestedWindow(received_);
            if (received_ == kShowRequest || !window.isEmpty()) {
                owner->answer_ = RunningCopyAnswer::Shown;
                if (window.isEmpty())
                    emit owner->showRequested();
                else
                    emit owner->windowRequested(window);
                // A few bytes into a fresh socket: never blocks; a start
                // that has gone meanwhile only loses its answer.
                const char* answer = LineOf(owner->answer_);
                ::send(fd_, answer, std::strlen(answer), MSG_NOSIGNAL | MSG_DONTWAIT);
            }
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

RunningCopyAnswer SingleInstance::askRunningCopyToShow(int timeoutMs, const QString& window) {
    const QByteArray line = window.isEmpty() ? QByteArray(kShowRequest)
                                             : kShowWindowPrefix + window.toLatin1() + QByteArray("\n");
    sockaddr_un address{};
    if (!Address(socketPath_, address)) return RunningCopyAnswer::NoAnswer;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return RunningCopyAnswer::NoAnswer;
    QElapsedTimer waited;
    waited.start();
    auto left = [&] { return int(std::max<qint64>(0, timeoutMs - waited.elapsed())); };
    bool sent = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN ||
        errno == EINPROGRESS) {
        pollfd writable{fd, POLLOUT, 0};
        if (::poll(&writable, 1, left()) == 1 && (writable.revents & POLLOUT) != 0) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            sent = error == 0 && ::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) ==
                                     static_cast<ssize_t>(line.size());
        }
    }
    // The answer, once the copy has acted: a copy that is stuck, or so busy
    // that the request waits in its queue, says nothing in the time.
    RunningCopyAnswer answer = RunningCopyAnswer::NoAnswer;
    QByteArray received;
    while (sent) {
        pollfd readable{fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, left());
        if (ready < 0 && errno == EINTR) continue;
        if (ready != 1) break;
        char buffer[kMaxAnswer];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n > 0 && received.size() < kMaxAnswer) {
            received.append(buffer, n);
            if (!received.endsWith('\n')) continue;
        }
        // The end of the stream without a line: taken, not answered.
        answer = n < 0                ? RunningCopyAnswer::NoAnswer
                 : received.isEmpty() ? RunningCopyAnswer::Told
                                      : AnswerOf(received);
        break;
    }
    ::close(fd);
    return answer;
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

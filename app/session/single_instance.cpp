#include "session/single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace kemless {
namespace {

const QByteArray kShowRequest = QByteArrayLiteral("show\n");

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent),
      socketPath_(folder + QStringLiteral("/kemless.socket")),
      lock_(folder + QStringLiteral("/kemless.lock")) {
    // Held for the whole run: never stale by age, only when its owner is gone.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

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
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket already there is a crashed copy's.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) return;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->canReadLine() && peer->readLine() == kShowRequest) emit showRequested();
            });
        }
    });
}

bool SingleInstance::askRunningCopyToShow(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kShowRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

QString SingleInstance::DefaultFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
    // Without a runtime folder: a folder of our own, readable by us alone.
    const QString own = QDir::tempPath() + QStringLiteral("/kemless-%1").arg(::getuid());
    QDir().mkpath(own);
    QFile::setPermissions(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return own;
}

}  // namespace kemless

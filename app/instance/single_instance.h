#pragma once
// One running copy per user. The first copy holds a lock file that names its
// process and listens on a local socket beside it (readable by this user
// alone); a later start cannot take the lock, so it asks the running copy
// through the socket to show itself. When the lock's owner is gone (a crash)
// the lock is stale and the next start takes it over, and replaces the socket
// that copy left behind. The socket is a plain Unix one: Qt's own local
// sockets live in its network library, which would bring nine more libraries
// into every start.
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace kemless {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this copy holds the lock (also when it already did); it then
    // listens for later starts.
    bool acquire();
    // Asks the copy that holds the lock to come forward; false when nobody
    // answered within `timeoutMs`.
    bool askRunningCopyToShow(int timeoutMs = 1000);

    // Where the lock and the socket live: the per-user runtime folder
    // ($XDG_RUNTIME_DIR), or else $XDG_CACHE_HOME/kemless (~/.cache/kemless),
    // made when missing. Only a folder that is this user's alone is used;
    // empty when there is none.
    static QString DefaultFolder();
    // Owned by this user, a real folder (not a link), no rights for others.
    static bool IsPrivateFolder(const QString& folder);

signals:
    void showRequested();

private:
    class Peer;
    void listen();
    // Takes the waiting connections, up to a handful of peers at a time.
    void acceptPeers();
    void resumeAccepting();

    QString socketPath_;
    QLockFile lock_;
    int listener_ = -1;
    QSocketNotifier* listening_ = nullptr;
    QTimer retry_;
    int peers_ = 0;
};

}  // namespace kemless

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

// What the running copy did with a later start's request, as it answers on
// the socket after acting on it.
enum class RunningCopyAnswer {
    NoAnswer,    // nothing within the time, or no copy listening: nothing was done
    Told,        // it took the request and closed without a word (a copy from before the answers)
    Shown,       // did as asked: the display window forward, or the named window open
    Settings,    // its settings dialog is open and came forward instead
    Setup,       // its first-run setup or start ceremony is open and came forward instead
    AfterSetup,  // the named window opens once the setup and ceremony are done
};

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this copy holds the lock (also when it already did); it then
    // listens for later starts.
    bool acquire();
    // Asks the copy that holds the lock to come forward ("show"), or to open
    // the window named `window` ("show craving"), and waits up to `timeoutMs`
    // for its answer line. A name is a few lower-case letters.
    RunningCopyAnswer askRunningCopyToShow(int timeoutMs = 3000, const QString& window = QString());
    // What this copy answers the request it is acting on: set by whoever
    // acts on showRequested or windowRequested, while the signal runs. Left
    // alone, the answer is Shown.
    void answerWith(RunningCopyAnswer answer) { answer_ = answer; }

    // Where the lock and the socket live: the per-user runtime folder
    // ($XDG_RUNTIME_DIR), or else $XDG_CACHE_HOME/kemless (~/.cache/kemless),
    // made when missing. Only a folder that is this user's alone is used;
    // empty when there is none.
    static QString DefaultFolder();
    // Owned by this user, a real folder (not a link), no rights for others.
    static bool IsPrivateFolder(const QString& folder);

signals:
    void showRequested();
    // A later start asked for one of the windows by name.
    void windowRequested(const QString& window);

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
    RunningCopyAnswer answer_ = RunningCopyAnswer::Shown;
};

}  // namespace kemless

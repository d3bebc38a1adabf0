#pragma once
// A per-user lock that only one running copy of the program can hold. The
// lock file names the owner's process; when that process is gone (a crash),
// the lock is stale and the next start takes it over.
#include <QLockFile>
#include <QString>

namespace kemless {

class SingleInstanceLock {
public:
    explicit SingleInstanceLock(const QString& path);
    // True when this copy holds the lock (also when it already did).
    bool acquire();

    static QString defaultPath();

private:
    QLockFile lock_;
};

}  // namespace kemless

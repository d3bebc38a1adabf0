#include "app/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace kemless {

SingleInstanceLock::SingleInstanceLock(const QString& path) : lock_(path) {
    // Held for the whole run: never stale by age, only when its owner is gone.
    lock_.setStaleLockTime(0);
}

bool SingleInstanceLock::acquire() {
    if (lock_.isLocked()) return true;
    if (lock_.tryLock(0)) return true;
    // A folder we cannot write to must not lock the user out of the program.
    return lock_.error() == QLockFile::PermissionError;
}

QString SingleInstanceLock::defaultPath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    return dir + QStringLiteral("/kemless.lock");
}

}  // namespace kemless

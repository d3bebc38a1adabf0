#pragma once
// The desktop's opener replaced by a script on PATH, for the browser launch.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace kemless {

// A folder put in front of PATH with an xdg-open that records its argument
// and exits with `status`; no opener at all when `status` is empty. The
// argument is written aside and renamed into place, so a test that waits for
// the file never reads it half-written (the shell creates the file before
// printf fills it, and a slow machine shows the gap).
class FakeOpener {
public:
    // `noise`, when given, is what the opener writes to its output and its
    // error stream, as the real one does when it finds no browser.
    explicit FakeOpener(std::optional<int> status, const QString& noise = {}) : oldPath_(qgetenv("PATH")) {
        if (status) {
            QFile script(dir_.filePath(QStringLiteral("xdg-open")));
            script.open(QIODevice::WriteOnly);
            const QString say =
                noise.isEmpty() ? QString() : QStringLiteral("echo '%1'\necho '%1' >&2\n").arg(noise);
            script.write(
                QStringLiteral("#!/bin/sh\n%3printf '%s' \"$1\" > '%1.part'\nmv '%1.part' '%1'\nexit %2\n")
                    .arg(argumentFile(), QString::number(*status), say)
                    .toUtf8());
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("PATH", dir_.path().toUtf8() + ':' + oldPath_);
        } else {
            // Only a folder without an opener: the system's one is out of reach.
            qputenv("PATH", dir_.path().toUtf8());
        }
    }
    ~FakeOpener() { qputenv("PATH", oldPath_); }

    QString argumentFile() const { return dir_.filePath(QStringLiteral("argument")); }
    QString argument() const {
        QFile f(argumentFile());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    QTemporaryDir dir_;
    QByteArray oldPath_;
};

}  // namespace kemless

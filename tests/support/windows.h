#pragma once
// Finding and clearing the program's top-level windows in the window tests.
// Unloaded windows go with deleteLater, so each helper first lets those go.
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>

namespace kemless {

// The top-level window with this object name ("mainWindow", "settingsDialog", …),
// if loaded.
inline QWidget* Window(const char* name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name)) return w;
    return nullptr;
}

// How many top-level windows of this object name are loaded: one window
// asked for twice must still be one.
inline int CountWindows(const char* name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name)) ++n;
    return n;
}

inline bool AnyWindowVisible() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) return true;
    return false;
}

// Removes every window a test left, so the next test starts with none.
inline void DeleteAllWindows() {
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->parentWidget() == nullptr) windows << w;
    for (const QPointer<QWidget>& w : windows) delete w.data();
}

// The raw bytes of a settings file in the data folder (empty when missing).
inline QByteArray DataFileBytes(const QTemporaryDir& dir, const char* file) {
    QFile f(dir.filePath(QStringLiteral("kemlessdata/") + QLatin1String(file)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace kemless

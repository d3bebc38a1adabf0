#include "platform.h"

#include <QList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace kemless {

QByteArray PreferredPlatform(bool userChose, const QByteArray& display, bool waylandReachable) {
    if (userChose || display.isEmpty()) return {};
    return waylandReachable ? QByteArrayLiteral("xcb;wayland") : QByteArrayLiteral("xcb");
}

namespace {

QtMessageHandler g_previousHandler = nullptr;
struct Held {
    QtMsgType type;
    const char* file;  // the context's texts are Qt's static ones
    int line;
    const char* function;
    const char* category;
    QString text;
};
QList<Held>* g_held = nullptr;

// Qt's note that a desktop gave no runtime folder says nothing the user can
// act on (a plain X session or a terminal often has none), so it is left
// out; everything else goes on to Qt's own output.
void QuietPassOn(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_previousHandler != nullptr)
        g_previousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

void WhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(
            "kemless: 画面に接続できません。デスクトップの中から起動するか、DISPLAY（X11）か "
            "WAYLAND_DISPLAY を設定して起動してください（例: DISPLAY=:0 kemless）\n",
            stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (g_held != nullptr)
        g_held->append({type, context.file, context.line, context.function, context.category, text});
    else
        QuietPassOn(type, context, text);
}

}  // namespace

void GuardWindowSystemStart() {
    g_held = new QList<Held>;
    g_previousHandler = qInstallMessageHandler(WhileStarting);
}

void EndWindowSystemGuard() {
    if (g_held == nullptr) return;
    QList<Held>* held = g_held;
    g_held = nullptr;
    for (const Held& h : *held)
        QuietPassOn(h.type, QMessageLogContext(h.file, h.line, h.function, h.category), h.text);
    delete held;
}

}  // namespace kemless

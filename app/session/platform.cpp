#include "session/platform.h"

#include <QList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace kemless {

QByteArray PreferredPlatform(bool userChose, const QByteArray& display) {
    if (userChose || display.isEmpty()) return {};
    return QByteArrayLiteral("xcb;wayland");
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

void WhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs("kemless: 画面に接続できません。デスクトップの中から起動するか、DISPLAY（X11）か "
                   "WAYLAND_DISPLAY を設定して起動してください（例: DISPLAY=:0 kemless）\n",
                   stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (g_held != nullptr)
        g_held->append({type, context.file, context.line, context.function, context.category, text});
}

}  // namespace

void GuardWindowSystemStart() {
    g_held = new QList<Held>;
    g_previousHandler = qInstallMessageHandler(WhileStarting);
}

void EndWindowSystemGuard() {
    qInstallMessageHandler(g_previousHandler);
    if (g_held == nullptr) return;
    for (const Held& h : *g_held) qt_message_output(h.type, QMessageLogContext(h.file, h.line, h.function, h.category), h.text);
    delete g_held;
    g_held = nullptr;
}

}  // namespace kemless

#include "desktop/notification_area.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace kemless {
namespace {

const char* const kStatusNotifierWatcher = "org.kde.StatusNotifierWatcher";

// The screen of the display the program opened: "host:1.2" is screen 2.
int ScreenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
    if (colon < 0 || dot < 0) return 0;
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok && screen >= 0 ? screen : 0;
}

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

}  // namespace

NotificationAreaWatch::NotificationAreaWatch(QObject* parent) : QObject(parent) {
    watchX11();
    watchSessionBus();
}

void NotificationAreaWatch::watchX11() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 != nullptr ? x11->connection() : nullptr;
    if (c == nullptr) return;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes == nullptr || !xfixes->present) return;
    // The extension answers only a client that said which version it speaks.
    std::unique_ptr<xcb_xfixes_query_version_reply_t, FreeReply> version(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    if (!version) return;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(ScreenNumber());
    std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr));
    if (!atom) return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = ScreenNumber(); i > 0 && screens.rem > 1; --i) xcb_screen_next(&screens);
    if (screens.data == nullptr) return;
    selectionNotify_ = static_cast<uint8_t>(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
    trayAtom_ = atom->atom;
    xcb_xfixes_select_selection_input(c, screens.data->root, trayAtom_,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    // The owner now; from here on each change arrives as an event.
    std::unique_ptr<xcb_get_selection_owner_reply_t, FreeReply> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, trayAtom_), nullptr));
    trayOwner_ = owner ? owner->owner : 0;
    xcb_flush(c);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

void NotificationAreaWatch::watchSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    const QString watcher = QString::fromLatin1(kStatusNotifierWatcher);
    auto* owner = new QDBusServiceWatcher(
        watcher, bus, QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        this);
    connect(owner, &QDBusServiceWatcher::serviceRegistered, this, &NotificationAreaWatch::changed);
    connect(owner, &QDBusServiceWatcher::serviceUnregistered, this, &NotificationAreaWatch::changed);
    // The watcher may stay while the host that shows the icons goes.
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        bus.connect(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, QString::fromLatin1(signal),
                    this, SIGNAL(changed()));
}

bool NotificationAreaWatch::statusNotifierHostThere() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() != nullptr &&
           bus.interface()->isServiceRegistered(QString::fromLatin1(kStatusNotifierWatcher)).value();
}

bool NotificationAreaWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (trayAtom_ == 0 || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != selectionNotify_) return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == trayAtom_) {
        // A tray window destroyed or its client gone leaves the selection
        // without an owner.
        trayOwner_ = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER ? notify->owner : 0;
        emit changed();
    }
    // Qt reads the event too: it follows the clipboard by the same kind.
    return false;
}

}  // namespace kemless

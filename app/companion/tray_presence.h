#pragma once
// The program's presence in the notification area, followed by the area's
// own events: from the first window hidden there (or a hidden start) on, a
// window hidden in an area that goes comes back, in every mode, and one
// that a hidden start left minimised for want of an area goes into the one
// that comes. Nothing is polled.
#include <QObject>
#include <QTimer>

namespace kemless {

class Desktop;
class Session;

class TrayPresence : public QObject {
    Q_OBJECT
public:
    // How long after a change of the notification area it is looked at a
    // second time: the toolkit learns that an X11 tray has gone from the
    // destruction of its window, which can come after the event that told us.
    static constexpr int kAreaSettleMs = 500;

    TrayPresence(Session& session, Desktop& desktop, QObject* parent = nullptr);

private:
    void watch();
    void areaChanged();

    Session& session_;
    Desktop& desktop_;
    bool watched_ = false;
    bool checkQueued_ = false;
    // A second look a moment after a change of the notification area.
    QTimer settled_;
    // A hidden start found no notification area and minimised the window.
    bool waitingForArea_ = false;
};

}  // namespace kemless

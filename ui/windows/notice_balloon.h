#pragma once
// A milestone's words beside a display window that is in view, for a
// desktop without a notification service: a small note just above the
// window (inside its top edge where the screen ends there) that goes by
// itself after a while, or at a click, which brings the window forward. It
// takes no keyboard and points at nothing but the window it belongs to.
#include <QFrame>

namespace kemless {

class NoticeBalloon : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShownMs = 15000;

    NoticeBalloon(QWidget* window, const QString& summary, const QString& body, int shownMs = kShownMs);

    // Placed beside `window` and shown.
    void showBeside(QWidget* window);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
};

}  // namespace kemless

#pragma once
// A control as it is painted at `scale` device pixels per pixel, without a
// screen: what a focus mark or a colour looks like at that scale.
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace kemless {

inline QImage GrabAtScale(QWidget* control, qreal scale) {
    QPixmap pm(control->size() * scale);
    pm.setDevicePixelRatio(scale);
    pm.fill(Qt::transparent);
    control->render(&pm);
    return pm.toImage();
}

// A control painted without the keyboard and with it, and the colour of
// the middle of its top edge each time, where a focus mark shows. The
// keyboard goes to `elsewhere` first, or is simply taken away.
struct FocusMark {
    QImage without, with;
    QColor edgeWithout, edgeWith;
    bool focusMoved = false;  // the control had the keyboard only for `with`
};

inline FocusMark GrabFocusMark(QWidget* control, qreal scale, QWidget* elsewhere = nullptr) {
    FocusMark m;
    const QPoint edge(qRound(control->width() * scale / 2), qRound(scale));
    if (elsewhere != nullptr)
        elsewhere->setFocus(Qt::TabFocusReason);
    else
        control->clearFocus();
    const bool hadIt = control->hasFocus();
    m.without = GrabAtScale(control, scale);
    control->setFocus(Qt::TabFocusReason);
    m.with = GrabAtScale(control, scale);
    m.focusMoved = !hadIt && control->hasFocus();
    m.edgeWithout = m.without.pixelColor(edge);
    m.edgeWith = m.with.pixelColor(edge);
    return m;
}

}  // namespace kemless

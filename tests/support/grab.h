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

}  // namespace kemless

#pragma once
// The stored colours on the screen.
#include <QColor>
#include <QPalette>
#include <QWidget>

#include "records/settings.h"

namespace kemless {

inline QColor ToQColor(Rgb c) { return QColor(c.red(), c.green(), c.blue()); }
inline Rgb RgbOf(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

// The stored colour pair on a widget: its text in `foreColor` on `backColor`
// (the background shows where the widget fills it).
inline void SetStoredColors(QWidget* widget, Rgb backColor, Rgb foreColor) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, ToQColor(backColor));
    pal.setColor(QPalette::WindowText, ToQColor(foreColor));
    widget->setPalette(pal);
}

}  // namespace kemless

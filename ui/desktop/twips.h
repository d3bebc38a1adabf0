#pragma once
// The windows are designed in twips (1/1440 inch) and laid out at 15 twips
// per device-independent pixel, so the designed layout holds at any scale.
#include <QColor>
#include <QPalette>
#include <QRect>
#include <QWidget>
#include <cmath>
#include <cstdint>

#include "geometry/placement.h"

namespace kemless {

inline int Px(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

// Colours are stored as 0x00BBGGRR, red in the low byte.
inline QColor ColorFromBgr(int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}
inline int32_t BgrFromColor(const QColor& c) {
    return static_cast<int32_t>(c.red() | (c.green() << 8) | (c.blue() << 16));
}
// The stored colour pair on a widget: its text in `foreColor` on `backColor`
// (the background shows where the widget fills it).
inline void SetStoredColors(QWidget* widget, int32_t backColor, int32_t foreColor) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, ColorFromBgr(backColor));
    pal.setColor(QPalette::WindowText, ColorFromBgr(foreColor));
    widget->setPalette(pal);
}

}  // namespace kemless

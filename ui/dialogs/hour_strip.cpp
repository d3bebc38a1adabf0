#include "dialogs/hour_strip.h"

#include <QAccessible>
#include <QPainter>

#include "desktop/accessibility.h"

namespace kemless {

HourStrip::HourStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("hourStrip"));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    MakeSpoken(this, QAccessible::Graphic);
}

void HourStrip::setStrip(const HardMoments& moments) {
    permille_ = moments.hourPermille;
    counts_ = moments.perHour;
    // Heard as its words, heading first, as the chart of urges is.
    SetSpokenName(this, QString::fromStdString(moments.hoursHeading) + QStringLiteral("　") +
                            QString::fromStdString(moments.hourWords));
    update();
}

void HourStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm(font());
    const int labels = fm.height() + 2;
    const QRect plot = rect().adjusted(4, 4, -4, -labels);
    const QColor text = palette().color(QPalette::WindowText);
    p.setPen(text);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    // The hours 0, 6, 12 and 18 under their columns.
    const qreal slot = plot.width() / 24.0;
    for (int hour : {0, 6, 12, 18})
        p.drawText(QRectF(plot.left() + slot * hour, plot.bottom() + 2, slot * 6, labels),
                   Qt::AlignLeft | Qt::AlignTop, QString::number(hour));
    const qreal column = slot * 0.8;
    for (int i = 0; i < 24; ++i) {
        if (counts_[i] == 0) continue;
        // The busiest hour fills the height; a single urge still shows.
        const qreal height = std::max(2.0, plot.height() * permille_[i] / 1000.0);
        p.fillRect(
            QRectF(plot.left() + slot * i + (slot - column) / 2, plot.bottom() - height, column, height),
            QColor(200, 110, 60));
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

}  // namespace kemless

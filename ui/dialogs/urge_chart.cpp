#include "dialogs/urge_chart.h"

#include <QAccessible>
#include <QPainter>

#include "desktop/accessibility.h"

namespace kemless {

UrgeChart::UrgeChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("urgeChart"));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    MakeSpoken(this, QAccessible::Graphic);
}

void UrgeChart::setChart(const RecordView& view) {
    permille_ = view.barPermille;
    counts_ = view.counts;
    firstDay_ = QString::fromStdString(view.firstDay);
    lastDay_ = QString::fromStdString(view.lastDay);
    // Heard as its words: a screen reader reads the name, and mostly leaves
    // a description unsaid, so the name holds them.
    SetSpokenName(this, QString::fromStdString(view.chartHeading) + QStringLiteral("　") +
                            QString::fromStdString(view.chartWords));
    update();
}

void UrgeChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm(font());
    const int labels = fm.height() + 2;
    const QRect plot = rect().adjusted(4, labels, -4, -labels);
    const QColor text = palette().color(QPalette::WindowText);

    // The days' names under the base line, the first at the left and today at the right.
    p.setPen(text);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    const QRect under(plot.left(), plot.bottom() + 2, plot.width(), labels);
    p.drawText(under, Qt::AlignLeft | Qt::AlignTop, firstDay_);
    p.drawText(under, Qt::AlignRight | Qt::AlignTop, lastDay_);

    const qreal slot = plot.width() / qreal(kChartDays);
    const qreal bar = slot * 0.7;
    for (int i = 0; i < kChartDays; ++i) {
        if (counts_[i] == 0) continue;
        const qreal height = (plot.height() - labels) * permille_[i] / 1000.0;
        const QRectF r(plot.left() + slot * i + (slot - bar) / 2, plot.bottom() - height, bar, height);
        p.fillRect(r, QColor(58, 157, 124));
        // The count over its bar, where there is room for it.
        const QString n = QString::number(counts_[i]);
        if (fm.horizontalAdvance(n) <= slot)
            p.drawText(QRectF(r.left() - slot, r.top() - labels, bar + 2 * slot, labels),
                       Qt::AlignHCenter | Qt::AlignBottom, n);
    }

    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

}  // namespace kemless

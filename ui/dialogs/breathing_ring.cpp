#include "dialogs/breathing_ring.h"

#include <QAccessible>
#include <QPainter>
#include <algorithm>

#include "desktop/accessibility.h"

namespace kemless {

BreathingRing::BreathingRing(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("breathingRing"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    // Resting on it, a screen reader user hears what it is once, then the
    // breath to follow as it turns (the helper announces the word).
    setFocusPolicy(Qt::TabFocus);
    MakeSpoken(this, QAccessible::Graphic);
    SetSpokenName(this, QStringLiteral("呼吸のガイド"));
}

void BreathingRing::setState(int gonePermille, int breathPermille, const QString& word) {
    if (gonePermille == gone_ && breathPermille == breath_ && word == word_) return;
    gone_ = gonePermille;
    breath_ = breathPermille;
    word_ = word;
    update();
}

void BreathingRing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal pen = std::max<qreal>(6, side / 18);
    const QRectF ring(QPointF((width() - side) / 2 + pen / 2, (height() - side) / 2 + pen / 2),
                      QSizeF(side - pen, side - pen));

    // The whole track, then what is left of the five minutes, from the top
    // round clockwise.
    p.setPen(QPen(QColor(208, 215, 222), pen));
    p.drawEllipse(ring);
    p.setPen(QPen(QColor(58, 157, 124), pen, Qt::SolidLine, Qt::RoundCap));
    const int left = 1000 - std::clamp(gone_, 0, 1000);
    if (left > 0) p.drawArc(ring, 90 * 16, -left * 360 * 16 / 1000);

    // The breath: a third of the inside when empty, all of it when full.
    const qreal inside = ring.width() / 2 - pen;
    const qreal radius = inside * (0.35 + 0.65 * std::clamp(breath_, 0, 1000) / 1000.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 190, 220, 150));
    p.drawEllipse(ring.center(), radius, radius);

    if (word_.isEmpty()) return;
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    f.setBold(true);
    p.setFont(f);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(ring, Qt::AlignCenter, word_);
}

}  // namespace kemless

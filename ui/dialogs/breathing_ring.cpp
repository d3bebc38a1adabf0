#include "dialogs/breathing_ring.h"

#include <QAccessible>
#include <QPaintEvent>
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
    // Only what changed is painted again: the disc as it was and as it is,
    // with its word; the whole picture when the ring itself moves on. A
    // small area keeps the painting on this thread, and cheap.
    QRect changed = discArea(breath_) | discArea(breathPermille);
    if (gonePermille != gone_) changed = rect();
    gone_ = gonePermille;
    breath_ = breathPermille;
    word_ = word;
    update(changed);
}

qreal BreathingRing::penWidth() const {
    const qreal side = std::min(width(), height());
    return std::max<qreal>(6, side / 18);
}

QRectF BreathingRing::ringRect() const {
    const qreal side = std::min(width(), height());
    const qreal pen = penWidth();
    return {QPointF((width() - side) / 2 + pen / 2, (height() - side) / 2 + pen / 2),
            QSizeF(side - pen, side - pen)};
}

QRect BreathingRing::discArea(int breathPermille) const {
    const QRectF ring = ringRect();
    // The breath: a third of the inside when empty, all of it when full.
    const qreal inside = ring.width() / 2 - penWidth();
    const qreal radius = inside * (0.35 + 0.65 * std::clamp(breathPermille, 0, 1000) / 1000.0);
    // The word is inside the smallest disc but may be wider than it.
    const qreal half = std::max(radius, inside * 0.9);
    return QRectF(ring.center() - QPointF(half, half), QSizeF(2 * half, 2 * half))
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

void BreathingRing::resizeEvent(QResizeEvent* e) {
    pictureGone_ = -1;
    QWidget::resizeEvent(e);
}

void BreathingRing::paintEvent(QPaintEvent* e) {
    const QRectF ring = ringRect();
    const qreal pen = penWidth();
    const qreal dpr = devicePixelRatioF();
    if (pictureGone_ != gone_ || ringPicture_.size() != size() * dpr) {
        ringPicture_ = QPixmap(size() * dpr);
        ringPicture_.setDevicePixelRatio(dpr);
        ringPicture_.fill(Qt::transparent);
        QPainter r(&ringPicture_);
        r.setRenderHint(QPainter::Antialiasing);
        // The whole track, then what is left of the five minutes, from the
        // top round clockwise.
        r.setPen(QPen(QColor(208, 215, 222), pen));
        r.drawEllipse(ring);
        r.setPen(QPen(QColor(58, 157, 124), pen, Qt::SolidLine, Qt::RoundCap));
        const int left = 1000 - std::clamp(gone_, 0, 1000);
        if (left > 0) r.drawArc(ring, 90 * 16, -left * 360 * 16 / 1000);
        pictureGone_ = gone_;
    }

    QPainter p(this);
    p.setClipRect(e->rect());
    p.drawPixmap(0, 0, ringPicture_);
    p.setRenderHint(QPainter::Antialiasing);
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

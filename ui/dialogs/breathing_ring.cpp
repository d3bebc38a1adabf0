#include "dialogs/breathing_ring.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QtMath>
#include <algorithm>

#include "desktop/accessibility.h"

namespace kemless {
namespace {

// Qt's raster engine hands a fill of more than about a hundred spans to a
// pool of threads (two more threads woken for every frame). An image copied
// into a rectangle is a span a row, so the picture is copied a band of rows
// at a time; a smooth shape has several spans a row, so the ring, drawn
// anew only as the minutes go, is drawn in thin bands.
constexpr int kRowsABand = 48;
constexpr int kShapeRowsABand = 8;

void FillInBands(QPainter& p, const QPainterPath& area, const QColor& colour, qreal dpr) {
    const QRectF bounds = area.boundingRect();
    const qreal band = kShapeRowsABand / dpr;
    for (qreal top = bounds.top(); top < bounds.bottom(); top += band) {
        QPainterPath strip;
        strip.addRect(QRectF(bounds.left() - 1, top, bounds.width() + 2, band));
        p.fillPath(area.intersected(strip), colour);
    }
}

}  // namespace

BreathingRing::BreathingRing(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("breathingRing"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    if (pictureGone_ != gone_ || ringPicture_.size() != size() * dpr ||
        pictureGround_ != palette().color(QPalette::Window)) {
        pictureGround_ = palette().color(QPalette::Window);
        ringPicture_ = QPixmap(size() * dpr);
        ringPicture_.setDevicePixelRatio(dpr);
        // Opaque, with the window's ground: Qt then leaves the ground
        // under each frame to this picture, and fills nothing itself.
        ringPicture_.fill(palette().color(QPalette::Window));
        QPainter r(&ringPicture_);
        r.setRenderHint(QPainter::Antialiasing);
        // The whole track, then what is left of the five minutes, from the
        // top round clockwise.
        QPainterPath track;
        track.addEllipse(ring);
        QPainterPathStroker stroke;
        stroke.setWidth(pen);
        FillInBands(r, stroke.createStroke(track), QColor(208, 215, 222), dpr);
        const int left = 1000 - std::clamp(gone_, 0, 1000);
        if (left > 0) {
            QPainterPath arc;
            arc.arcMoveTo(ring, 90);
            arc.arcTo(ring, 90, -left * 360.0 / 1000);
            stroke.setCapStyle(Qt::RoundCap);
            FillInBands(r, stroke.createStroke(arc), QColor(58, 157, 124), dpr);
        }
        pictureGone_ = gone_;
    }

    // In bands of rows (see FillInBands).
    const QRect dirty = e->rect();
    const int band = std::max(1, int(kRowsABand / dpr));
    for (int top = dirty.top(); top <= dirty.bottom(); top += band)
        paintBand(QRect(dirty.left(), top, dirty.width(), std::min(band, dirty.bottom() + 1 - top)), ring,
                  pen);
}

void BreathingRing::paintBand(const QRect& area, const QRectF& ring, qreal pen) {
    QPainter p(this);
    p.setClipRect(area);
    p.drawPixmap(area.topLeft(), ringPicture_,
                 QRectF(QPointF(area.topLeft()) * ringPicture_.devicePixelRatio(),
                        QSizeF(area.size()) * ringPicture_.devicePixelRatio()));
    p.setRenderHint(QPainter::Antialiasing);
    const qreal inside = ring.width() / 2 - pen;
    const qreal radius = inside * (0.35 + 0.65 * std::clamp(breath_, 0, 1000) / 1000.0);
    // The disc, drawn once at its largest and scaled to the breath.
    const qreal dpr = devicePixelRatioF();
    const int discSide = qCeil(2 * inside * dpr);
    if (discPicture_.width() != discSide) {
        discPicture_ = QPixmap(discSide, discSide);
        discPicture_.fill(Qt::transparent);
        QPainter d(&discPicture_);
        d.setRenderHint(QPainter::Antialiasing);
        QPainterPath whole;
        whole.addEllipse(QRectF(0, 0, discSide, discSide));
        FillInBands(d, whole, QColor(120, 190, 220, 150), 1);
    }
    // Scaled plainly: a smooth scaling would have Qt scale the whole picture
    // on its threads for every band.
    p.drawPixmap(QRectF(ring.center() - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)),
                 discPicture_, QRectF(discPicture_.rect()));

    if (word_.isEmpty()) return;
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    f.setBold(true);
    p.setFont(f);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(ring, Qt::AlignCenter, word_);
}

}  // namespace kemless

#include "desktop/artwork.h"

#include <QColor>
#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QRadialGradient>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace kemless::artwork {
namespace {

// A non-positive or absurd ratio would give an empty or huge pixmap.
qreal SaneRatio(qreal devicePixelRatio) {
    if (!(devicePixelRatio > 0.0)) return 1.0;
    return std::min<qreal>(devicePixelRatio, 16.0);
}

// Paints into a transparent image sized for the ratio, so the result is
// sharp on high-density screens while callers keep logical coordinates.
template <typename Paint>
QPixmap Render(qreal logicalWidth, qreal logicalHeight, qreal devicePixelRatio, Paint paint) {
    const qreal ratio = SaneRatio(devicePixelRatio);
    // Rounded, not ceiled: size / ratio then reads back as the logical size.
    QImage image(std::max(1, qRound(logicalWidth * ratio)), std::max(1, qRound(logicalHeight * ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

// ---- Duck -----------------------------------------------------------------

const QColor kDuckOutline(104, 58, 10);
const QColor kBillOutline(150, 62, 0);

QPainterPath DuckSilhouette() {
    QPainterPath body;
    body.moveTo(7.2, 15.2);
    body.cubicTo(4.2, 19.5, 6.0, 27.3, 13.0, 27.4);
    body.lineTo(21.0, 27.4);
    body.cubicTo(26.6, 27.4, 29.2, 22.4, 28.6, 17.2);
    body.lineTo(28.9, 11.4);  // the perky rubber-duck tail
    body.cubicTo(27.2, 13.6, 25.0, 15.0, 21.6, 15.2);
    body.cubicTo(18.6, 15.3, 16.6, 14.6, 15.6, 13.4);
    body.closeSubpath();

    QPainterPath head;
    head.addEllipse(QPointF(11.6, 9.0), 6.9, 6.7);
    return body.united(head).simplified();
}

void PaintDuck(QPainter& p, bool pleased) {
    // Bill first, so the head overlaps its root.
    QPainterPath upperBill;
    upperBill.moveTo(7.0, 9.0);
    upperBill.cubicTo(4.2, 8.2, 1.2, 9.2, 0.6, 11.2);
    upperBill.cubicTo(1.4, 12.6, 3.6, 13.0, 7.2, 12.6);
    upperBill.closeSubpath();
    QPainterPath lowerBill;
    lowerBill.moveTo(7.2, 12.4);
    lowerBill.cubicTo(4.4, 12.6, 2.2, 13.1, 2.5, 14.1);
    lowerBill.cubicTo(3.3, 15.3, 6.2, 15.1, 7.6, 14.0);
    lowerBill.closeSubpath();
    p.setPen(QPen(kBillOutline, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(236, 104, 0));
    p.drawPath(lowerBill);
    p.setBrush(QColor(255, 140, 20));
    p.drawPath(upperBill);

    const QPainterPath silhouette = DuckSilhouette();
    QRadialGradient yellow(QPointF(11.0, 7.0), 21.0, QPointF(10.0, 5.5));
    yellow.setColorAt(0.0, QColor(255, 246, 150));
    yellow.setColorAt(0.45, QColor(255, 222, 40));
    yellow.setColorAt(1.0, QColor(246, 184, 0));
    p.setPen(QPen(kDuckOutline, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(yellow);
    p.drawPath(silhouette);

    // Tuft of down on the crown.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kDuckOutline, 0.9, Qt::SolidLine, Qt::RoundCap));
    QPainterPath tuft;
    tuft.moveTo(11.8, 2.6);
    tuft.cubicTo(11.6, 0.9, 13.6, 0.4, 14.6, 1.5);
    p.drawPath(tuft);

    // Wing: a pleased duck lifts its tip a little.
    QPainterPath wing;
    wing.moveTo(15.2, 19.6);
    if (pleased) {
        wing.cubicTo(16.8, 16.4, 21.6, 14.8, 25.6, 15.6);
        wing.cubicTo(24.8, 19.8, 21.2, 23.4, 16.4, 22.8);
    } else {
        wing.cubicTo(16.8, 17.2, 21.4, 16.6, 25.0, 18.0);
        wing.cubicTo(24.2, 21.6, 20.6, 23.8, 16.4, 23.0);
    }
    wing.cubicTo(15.4, 22.4, 15.0, 21.0, 15.2, 19.6);
    p.setPen(QPen(kDuckOutline, 0.85, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(248, 196, 20));
    p.drawPath(wing);

    // Rosy cheek; stronger when pleased.
    p.setPen(Qt::NoPen);
    p.setBrush(pleased ? QColor(255, 96, 110, 200) : QColor(255, 130, 120, 110));
    p.drawEllipse(QPointF(11.4, 11.6), 1.8, 1.15);

    const QColor eye(40, 22, 8);
    if (pleased) {
        QPainterPath smile;
        smile.moveTo(7.4, 9.0);
        smile.quadTo(9.3, 5.6, 11.2, 9.0);
        p.setPen(QPen(eye, 1.35, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(smile);
    } else {
        p.setBrush(eye);
        p.drawEllipse(QPointF(9.3, 7.9), 1.65, 1.85);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8.75, 7.2), 0.62, 0.62);
    }
}

// ---- Program icon ---------------------------------------------------------
// Designed on a 256 grid: a sky-to-meadow tile, a pair of pink lungs whose
// windpipe grows a fresh leaf. The same shapes are in kemless.svg.

QPainterPath LeftLung() {
    QPainterPath lung;
    lung.moveTo(116, 100);
    lung.cubicTo(116, 82, 106, 70, 94, 72);
    lung.cubicTo(64, 78, 42, 140, 44, 184);
    lung.cubicTo(45, 206, 62, 216, 84, 212);
    lung.cubicTo(102, 209, 116, 200, 118, 184);
    lung.closeSubpath();
    return lung;
}

void PaintIcon(QPainter& p, int logicalSize, qreal ratio) {
    // Detail follows device pixels: a 16 icon on a 2x screen has 32 of them.
    const qreal devicePixels = logicalSize * ratio;
    const qreal unit = 256.0 / devicePixels;  // one device pixel in grid units
    // Strokes never thinner than about one pixel, so small sizes keep edges.
    auto stroke = [unit](qreal grid, qreal minPixels) { return std::max(grid, minPixels * unit); };
    // Below 32 pixels outlines and highlights would merge into mud: the
    // lungs lose their rims, the airway turns dark and the leaf grows.
    const bool tiny = devicePixels < 31.5;

    p.scale(logicalSize / 256.0, logicalSize / 256.0);

    // Tile.
    const qreal inset = tiny ? 4 : 10;
    const QRectF tile(inset, inset, 256 - 2 * inset, 256 - 2 * inset);
    QLinearGradient sky(0, inset, 0, 256 - inset);
    sky.setColorAt(0.0, QColor(120, 206, 250));
    sky.setColorAt(0.55, QColor(150, 222, 200));
    sky.setColorAt(1.0, QColor(104, 200, 110));
    p.setPen(QPen(QColor(40, 130, 120), stroke(8, 1.0)));
    p.setBrush(sky);
    p.drawRoundedRect(tile, 52, 52);

    const QColor lungEdge(176, 40, 84);

    // Leaf on the top of the windpipe.
    QPainterPath leaf;
    leaf.moveTo(130, 52);
    leaf.cubicTo(138, 24, 170, 14, 200, 22);
    leaf.cubicTo(194, 52, 164, 70, 130, 52);
    leaf.closeSubpath();
    if (tiny) {
        QTransform grow;
        grow.translate(130, 50);
        grow.scale(1.3, 1.3);
        grow.translate(-130, -52);
        leaf = grow.map(leaf);
    }
    p.setPen(tiny ? QPen(Qt::NoPen)
                  : QPen(QColor(24, 110, 40), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(tiny ? QColor(30, 150, 50) : QColor(58, 178, 74));
    p.drawPath(leaf);
    if (!tiny) {
        QPainterPath vein;
        vein.moveTo(136, 50);
        vein.quadTo(162, 36, 190, 26);
        p.setPen(QPen(QColor(190, 240, 170), 5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(vein);
    }

    QPainterPath pipe;
    pipe.moveTo(128, 50);
    pipe.lineTo(128, 112);
    QPainterPath branches;
    branches.moveTo(128, 112);
    branches.quadTo(108, 116, 100, 140);
    branches.moveTo(128, 112);
    branches.quadTo(148, 116, 156, 140);

    const QPainterPath left = LeftLung();
    const QPainterPath right = QTransform(-1, 0, 0, 1, 256, 0).map(left);
    QLinearGradient pink(0, 70, 0, 216);

    if (tiny) {
        pink.setColorAt(0.0, QColor(255, 150, 178));
        pink.setColorAt(1.0, QColor(236, 80, 124));
        p.setPen(Qt::NoPen);
        p.setBrush(pink);
        p.drawPath(left);
        p.drawPath(right);
        p.setPen(QPen(lungEdge, stroke(16, 1.2), Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(pipe);
        p.setPen(QPen(lungEdge, stroke(14, 1.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(branches);
        return;
    }

    // Windpipe and bronchi: a rim first, the pale core drawn over the lungs.
    const qreal core = 16;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(lungEdge, core + stroke(10, 0.8), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(pipe);
    p.drawPath(branches);

    pink.setColorAt(0.0, QColor(255, 178, 196));
    pink.setColorAt(1.0, QColor(250, 118, 150));
    p.setPen(QPen(lungEdge, stroke(8, 1.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(pink);
    p.drawPath(left);
    p.drawPath(right);

    p.setPen(QPen(QColor(255, 246, 248), core, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(pipe);
    p.drawPath(branches);

    // Soft shine on each lobe.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(QPointF(76, 118), 10, 20);
    p.drawEllipse(QPointF(180, 118), 10, 20);
}

// ---- Seasonal twinkle -----------------------------------------------------

QPainterPath StarPath(QPointF centre, int points, qreal outer, qreal inner, qreal rotationDegrees) {
    QPainterPath star;
    for (int i = 0; i < points * 2; ++i) {
        const qreal radius = (i % 2 == 0) ? outer : inner;
        const qreal angle = qDegreesToRadians(rotationDegrees - 90.0 + i * 180.0 / points);
        const QPointF corner(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0) {
            star.moveTo(corner);
        } else {
            star.lineTo(corner);
        }
    }
    star.closeSubpath();
    return star;
}

void PaintTwinkle(QPainter& p, QPointF centre, qreal size) {
    if (size < 0.25) return;
    const QPainterPath glint = StarPath(centre, 4, size, size * 0.28, 0);
    p.setPen(QPen(QColor(168, 100, 0), 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 204, 40));
    p.drawPath(glint);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, size * 0.22, size * 0.22);
}

void PaintSparkle(QPainter& p, int frame) {
    // Everything is a function of the phase, so frame 7 runs on into frame 0.
    const qreal phase = 2.0 * std::numbers::pi * frame / kSparkleFrames;
    const QPointF centre(12.5, 11.8);

    // Soft glow behind the star.
    const qreal glow = 9.0 + 1.5 * std::sin(phase);
    QRadialGradient halo(centre, glow);
    halo.setColorAt(0.0, QColor(255, 236, 140, 170));
    halo.setColorAt(1.0, QColor(255, 236, 140, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(centre, glow, glow);

    // The star turns one point (72 degrees) per loop and breathes.
    const qreal pulse = 1.0 + 0.1 * std::sin(phase);
    const qreal turn = 72.0 * frame / kSparkleFrames;
    const QPainterPath star = StarPath(centre, 5, 8.0 * pulse, 3.5 * pulse, turn);
    QRadialGradient gold(centre - QPointF(1.5, 2.0), 9.0 * pulse);
    gold.setColorAt(0.0, QColor(255, 250, 200));
    gold.setColorAt(0.35, QColor(255, 214, 40));
    gold.setColorAt(1.0, QColor(236, 150, 0));
    p.setPen(QPen(QColor(150, 88, 0), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(gold);
    p.drawPath(star);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawEllipse(centre, 1.3 * pulse, 1.3 * pulse);

    // Four small glints blink in turn around the star.
    struct Glint {
        QPointF at;
        qreal offset;  // fraction of the loop
    };
    static constexpr Glint kGlints[] = {
        {{3.2, 3.6}, 0.0},
        {{22.0, 3.4}, 0.25},
        {{22.2, 19.8}, 0.5},
        {{3.0, 19.4}, 0.75},
    };
    for (const Glint& g : kGlints) {
        const qreal s = std::sin(phase + 2.0 * std::numbers::pi * g.offset);
        PaintTwinkle(p, g.at, 3.3 * std::max<qreal>(0.0, s));
    }
}

}  // namespace

QPixmap Duck(bool pleased, qreal devicePixelRatio) {
    return Render(30, 29, devicePixelRatio, [pleased](QPainter& p) { PaintDuck(p, pleased); });
}

QPixmap ProgramIconPixmap(int logicalSize, qreal devicePixelRatio) {
    const int size = std::clamp(logicalSize, 1, 1024);
    const qreal ratio = SaneRatio(devicePixelRatio);
    return Render(size, size, ratio, [size, ratio](QPainter& p) { PaintIcon(p, size, ratio); });
}

namespace {

// Draws the icon only at the sizes asked for: windows and the notification
// area each need one or two, and drawing all of them slowed the start-up.
class ProgramIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::max(1, std::min(size.width(), size.height()));
        // Every window asks for the same few sizes: each is drawn once (Qt's
        // cache goes with the application, so nothing outlives it).
        const QString key = QStringLiteral("kemless-icon-%1").arg(side);
        QPixmap pixmap;
        if (!QPixmapCache::find(key, &pixmap)) {
            pixmap = ProgramIconPixmap(side, 1.0);
            QPixmapCache::insert(key, pixmap);
        }
        return pixmap;
    }
    QIconEngine* clone() const override { return new ProgramIconEngine; }
    // The sizes a window hands to the desktop. Larger ones come from the
    // installed icon theme; drawing them for every window would double the
    // start-up.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : {16, 22, 24, 32, 48, 64}) sizes << QSize(side, side);
        return sizes;
    }
};

}  // namespace

QIcon ProgramIcon() { return QIcon(new ProgramIconEngine); }

QPixmap SparkleFrame(int frame, qreal devicePixelRatio) {
    const int wrapped = ((frame % kSparkleFrames) + kSparkleFrames) % kSparkleFrames;
    return Render(25, 23, devicePixelRatio, [wrapped](QPainter& p) { PaintSparkle(p, wrapped); });
}

}  // namespace kemless::artwork

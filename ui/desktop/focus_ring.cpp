#include "desktop/focus_ring.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "basics/contrast.h"
#include "desktop/accessibility.h"
#include "desktop/colors.h"

namespace kemless {
namespace {

const char* const kCompanion = "kemlessFocusRingCompanion";
const char* const kLayerName = "focusRingLayer";

// The colour a widget shows behind its children: its own fill, or that of
// the nearest parent that fills, or its window's.
QColor BackgroundBehind(const QWidget* w) {
    while (w != nullptr && !w->isWindow() && !w->autoFillBackground()) w = w->parentWidget();
    if (w == nullptr) return QColor(Qt::white);
    return w->palette().color(QPalette::Active, w->backgroundRole());
}

QRect RectInWindow(const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

// Outside the marked area where the window has room for it; else along the
// window's edge, over the control (the guide's text fills its window).
bool RingFitsOutside(const QWidget* control) {
    // The ring itself; the outer line may run off the window's edge.
    const int out = kFocusRingGap + kFocusRingWidth;
    return control->window()->rect().contains(FocusMarkedArea(control).adjusted(-out, -out, out, out));
}

QRect RingRect(const QWidget* control) {
    const int out = kFocusMarkReach;
    const QRect ring = FocusMarkedArea(control).adjusted(-out, -out, out, out);
    return RingFitsOutside(control) ? ring : ring.intersected(control->window()->rect());
}

// A frame `width` pixels wide just inside `outer`. The sides go in pieces
// of a few dozen rows: Qt's raster engine hands a fill of more rows to a
// pool of threads, woken for every frame of an animation beside the ring.
void Frame(QPainter& p, const QRect& outer, int width, const QColor& colour) {
    constexpr int kRowsAPiece = 24;
    p.fillRect(QRect(outer.left(), outer.top(), outer.width(), width), colour);
    p.fillRect(QRect(outer.left(), outer.bottom() - width + 1, outer.width(), width), colour);
    const int bottom = outer.bottom() - width;
    for (int top = outer.top() + width; top <= bottom; top += kRowsAPiece) {
        const int rows = std::min(kRowsAPiece, bottom + 1 - top);
        p.fillRect(QRect(outer.left(), top, width, rows), colour);
        p.fillRect(QRect(outer.right() - width + 1, top, width, rows), colour);
    }
}

// The layer over one window that draws the ring of its focused control.
class RingLayer : public QWidget {
public:
    explicit RingLayer(QWidget* window) : QWidget(window) {
        setObjectName(QString::fromLatin1(kLayerName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        MarkDecorative(this);
        setGeometry(window->rect());
        window->installEventFilter(this);
    }

    void follow(QWidget* control) {
        if (control_ == control) return;
        if (control_) control_->removeEventFilter(this);
        control_ = control;
        if (control_) control_->installEventFilter(this);
        raise();
        show();
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Resize:
                if (watched == parent()) setGeometry(parentWidget()->rect());
                update();
                break;
            case QEvent::Move:
            case QEvent::Show:
            case QEvent::Hide: update(); break;
            case QEvent::ChildAdded:
                // A control made later must not cover the ring.
                if (watched == parent()) raise();
                break;
            default: break;
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        if (!control_ || !control_->isVisible() || !control_->hasFocus()) return;
        QPainter p(this);
        // From the outside in: a contrasting line, the ring, and the
        // contrasting line again in the gap.
        const QColor halo = FocusHaloColorFor(control_);
        QRect band = RingRect(control_);
        Frame(p, band, kFocusRingHalo, halo);
        band.adjust(kFocusRingHalo, kFocusRingHalo, -kFocusRingHalo, -kFocusRingHalo);
        Frame(p, band, kFocusRingWidth, FocusRingColorFor(control_));
        band.adjust(kFocusRingWidth, kFocusRingWidth, -kFocusRingWidth, -kFocusRingWidth);
        Frame(p, band, kFocusRingGap, halo);
    }

private:
    QPointer<QWidget> control_;
};

RingLayer* LayerOf(QWidget* window) {
    // A window that is being deleted has emptied some of its places already.
    for (QObject* child : window->children())
        if (child != nullptr && child->objectName() == QLatin1String(kLayerName))
            return static_cast<RingLayer*>(child);
    return nullptr;
}

bool TakesRing(const QWidget* w) {
    if (w == nullptr) return false;
    const QWidget* window = w->window();
    // The open list of a combo box and the menus mark their own items.
    return window->windowType() != Qt::Popup && w != window;
}

void FocusChanged(QWidget* old, QWidget* now) {
    if (old != nullptr && old->window() != (now ? now->window() : nullptr))
        if (RingLayer* layer = LayerOf(old->window())) layer->follow(nullptr);
    if (!TakesRing(now)) return;
    RingLayer* layer = LayerOf(now->window());
    if (layer == nullptr) layer = new RingLayer(now->window());
    layer->follow(now);
}

}  // namespace

void ShowFocusRings() {
    static const bool installed = [] {
        QObject::connect(qApp, &QApplication::focusChanged, qApp, &FocusChanged);
        return true;
    }();
    (void)installed;
    FocusChanged(nullptr, QApplication::focusWidget());
}

void RingAlsoAround(QWidget* control, QWidget* companion) {
    control->setProperty(kCompanion, QVariant::fromValue(static_cast<QObject*>(companion)));
}

QRect FocusMarkedArea(const QWidget* control) {
    QRect area = RectInWindow(control);
    if (auto* companion = qobject_cast<QWidget*>(control->property(kCompanion).value<QObject*>());
        companion != nullptr && companion->isVisible())
        area |= RectInWindow(companion);
    return area;
}

QColor FocusHaloColorFor(const QWidget* control) {
    const Rgb ring = RgbOf(FocusRingColorFor(control));
    const Rgb white(255, 255, 255), black(0, 0, 0);
    return ToQColor(ContrastRatio(ring, white) >= ContrastRatio(ring, black) ? white : black);
}

QColor FocusRingColorFor(const QWidget* control) {
    std::vector<Rgb> around = {RgbOf(BackgroundBehind(control->parentWidget()))};
    if (!RingFitsOutside(control))
        around.push_back(RgbOf(control->palette().color(control->backgroundRole())));
    return ToQColor(FocusRingColor(around));
}

}  // namespace kemless

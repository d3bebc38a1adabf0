#include "desktop/focus_ring.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
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
QRect RingRect(const QWidget* control) {
    const int out = kFocusRingGap + kFocusRingWidth;
    const QRect ring = FocusMarkedArea(control).adjusted(-out, -out, out, out);
    return ring.intersected(control->window()->rect());
}

bool RingFitsOutside(const QWidget* control) {
    const int out = kFocusRingGap + kFocusRingWidth;
    return control->window()->rect().contains(FocusMarkedArea(control).adjusted(-out, -out, out, out));
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
        p.setRenderHint(QPainter::Antialiasing, false);
        const QRectF ring = QRectF(RingRect(control_))
                                .adjusted(kFocusRingWidth / 2.0, kFocusRingWidth / 2.0,
                                          -kFocusRingWidth / 2.0, -kFocusRingWidth / 2.0);
        p.setPen(
            QPen(FocusRingColorFor(control_), kFocusRingWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRect(ring);
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

QColor FocusRingColorFor(const QWidget* control) {
    std::vector<Rgb> around = {RgbOf(BackgroundBehind(control->parentWidget()))};
    if (!RingFitsOutside(control))
        around.push_back(RgbOf(control->palette().color(control->backgroundRole())));
    return ToQColor(FocusRingColor(around));
}

}  // namespace kemless

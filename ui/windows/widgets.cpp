#include "windows/widgets.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <utility>

#include "desktop/accessibility.h"
#include "desktop/twips.h"

namespace kemless {

ControlLabel::ControlLabel(QWidget* parent) : QLabel(parent) {}

void ControlLabel::setHeading(const QString& heading) {
    heading_ = heading;
    updateSpokenText();
}

void ControlLabel::setText(const QString& text) {
    if (text == QLabel::text()) return;
    QLabel::setText(text);
    updateSpokenText();
}

void ControlLabel::updateSpokenText() {
    if (heading_.isEmpty()) return;
    MakeSpoken(this, QAccessible::StaticText);
    const QString value = text();
    const QString name = value.isEmpty() ? heading_ : heading_ + QStringLiteral("　") + value;
    if (heardOnChange_)
        SetSpokenName(this, name);
    else
        setAccessibleName(name);
}

void ControlLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) emit rightPressed(e->globalPosition().toPoint());
    e->accept();
}

void ControlLabel::mouseReleaseEvent(QMouseEvent* e) {
    const bool endsDoubleClick = std::exchange(releaseEndsDoubleClick_, false);
    if (e->button() == Qt::LeftButton && !endsDoubleClick && rect().contains(e->position().toPoint()))
        emit clicked();
    e->accept();
}

void ControlLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        releaseEndsDoubleClick_ = true;
        emit doubleClicked();
    }
    e->accept();
}

void ControlLabel::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && focusPolicy() != Qt::NoFocus) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(e);
}

LungPicture::LungPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    MakeSpoken(this, QAccessible::Graphic);
    SetSpokenName(this, QStringLiteral("肺の状態"));
}

void LungPicture::setStage(const QColor& fill, const QString& words) {
    SetSpokenName(this, QStringLiteral("肺の状態　") + words);
    if (fill == fill_) return;
    fill_ = fill;
    update();
}

void LungPicture::paintEvent(QPaintEvent*) {
    // Designed in twips relative to this picture's corner (4320, 860).
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(fill_);
    const double s = 1.0 / kTwipsPerPixel;
    p.drawEllipse(QRectF(0, 0, 375 * s, 735 * s).adjusted(0.5, 0.5, -0.5, -0.5));
    p.drawEllipse(QRectF(480 * s, 0, 375 * s, 735 * s).adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(240 * s, 240 * s, 375 * s, 210 * s));
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(300 * s, 240 * s), QPointF(555 * s, 240 * s));
    p.drawLine(QPointF(300 * s, 450 * s), QPointF(555 * s, 450 * s));
}

namespace {

class MouseStop : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick: {
                // A button handles its own left clicks; everything else ends here.
                const bool leftOnButton = qobject_cast<QAbstractButton*>(watched) != nullptr &&
                                          static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
                return !leftOnButton;
            }
            default: return false;
        }
    }
};

}  // namespace

void StopMousePropagation(QWidget* control) { control->installEventFilter(new MouseStop(control)); }

namespace {

class EnterPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        static_cast<QAbstractButton*>(watched)->click();
        return true;
    }
};

}  // namespace

void PressWithEnter(QAbstractButton* button) { button->installEventFilter(new EnterPresses(button)); }

}  // namespace kemless

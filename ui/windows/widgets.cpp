#include "windows/widgets.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <utility>

#include "desktop/twips.h"

namespace kemless {

namespace {

// What a screen reader is told of a value line. Screen readers read a
// label's name and mostly leave its description unspoken, so the name
// carries both: "heading　value". The widget's own accessible name stays the
// heading and its description the value alone.
class ValueLineAccessible : public QAccessibleWidget {
public:
    explicit ValueLineAccessible(ControlLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const ControlLabel*>(widget());
        if (t == QAccessible::Name && !label->heading().isEmpty()) {
            const QString value = label->text();
            return value.isEmpty() ? label->heading() : label->heading() + QStringLiteral("　") + value;
        }
        if (t == QAccessible::Name && label->accessibleName().isEmpty()) return label->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* DisplayWidgetFactory(const QString&, QObject* object) {
    if (auto* label = qobject_cast<ControlLabel*>(object); label != nullptr && !label->heading().isEmpty())
        return new ValueLineAccessible(label);
    // The lungs are a picture to a screen reader, not an empty panel.
    if (auto* lungs = qobject_cast<LungPicture*>(object))
        return new QAccessibleWidget(lungs, QAccessible::Graphic);
    return nullptr;
}

void InstallDisplayWidgetFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(DisplayWidgetFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace

ControlLabel::ControlLabel(QWidget* parent) : QLabel(parent) { InstallDisplayWidgetFactory(); }

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
    if (accessibleName() != heading_) setAccessibleName(heading_);
    setAccessibleDescription(text());
    // The spoken name holds the value: a reader sitting on the line hears
    // the new one.
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void ControlLabel::paintEvent(QPaintEvent* e) {
    QLabel::paintEvent(e);
    if (!hasFocus()) return;
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::WindowText), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
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
    InstallDisplayWidgetFactory();
    setAccessibleName(QStringLiteral("肺の状態"));
}

void LungPicture::setStage(const QColor& fill, const QString& words) {
    setAccessibleName(QStringLiteral("肺の状態　") + words);
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

void DrawRing(const QStyleOption* option, QPainter* painter, const QWidget* widget) {
    if (!(option->state & QStyle::State_HasFocus)) return;
    // Styles set the flag also while the window is inactive; the ring is
    // for the control that really has the keyboard.
    if (widget != nullptr && !widget->hasFocus()) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(option->palette.color(QPalette::Active, QPalette::Highlight), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
    painter->restore();
}

}  // namespace

void FocusRingStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element == CE_PushButton || element == CE_RadioButton || element == CE_CheckBox)
        DrawRing(option, painter, widget);
}

void FocusRingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element == PE_PanelLineEdit) DrawRing(option, painter, widget);
}

void FocusRingStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                        QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control == CC_ComboBox || control == CC_SpinBox) DrawRing(option, painter, widget);
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

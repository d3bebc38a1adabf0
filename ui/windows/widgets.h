#pragma once
// Small widgets shared by the display windows.
#include <QLabel>
#include <QProxyStyle>
#include <QWidget>

class QAbstractButton;

namespace kemless {

// A label that keeps its mouse events to itself (a press on a label never
// reaches the window behind it) and reports a left click. A double-click is
// one click and then a double-click: the release that ends it is no second
// click, so a toggle on `clicked` runs once.
class ControlLabel : public QLabel {
    Q_OBJECT
public:
    explicit ControlLabel(QWidget* parent = nullptr);

    // A value line is heard with its heading: a screen reader sitting on it
    // is told "heading　value" as the name (the widget's accessible name is
    // the heading, its description the value), and hears the new value when
    // a refresh changes it.
    void setHeading(const QString& heading);
    QString heading() const { return heading_; }
    // Stands in for QLabel::setText, so whoever writes a line through this
    // class keeps what a screen reader hears in step with what is shown.
    void setText(const QString& text);

signals:
    void clicked();
    void rightPressed(const QPoint& globalPos);
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // Space on a label that takes the keyboard is its click.
    void keyPressEvent(QKeyEvent* e) override;
    // A label that has the keyboard draws a frame in its own text colour
    // over its own background, so the mark follows the stored colours.
    void paintEvent(QPaintEvent* e) override;

private:
    void updateSpokenText();

    bool releaseEndsDoubleClick_ = false;
    QString heading_;
};

// The three filled shapes of the lung picture: two ovals joined by a bar.
// Shapes are not controls: clicks pass through them to the window.
class LungPicture : public QWidget {
    Q_OBJECT
public:
    explicit LungPicture(QWidget* parent = nullptr);
    // The colour and, for a screen reader, the same in words.
    void setStage(const QColor& fill, const QString& words);
    QColor fillColor() const { return fill_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor fill_{255, 192, 192};
};

// Draws a clear ring around the control that has the keyboard: two pixels in
// the highlight colour, outside the style's own faint mark. The program sets
// it for the whole application, so every window and dialog shows it.
class FocusRingStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};

// Keeps mouse presses on a control from reaching the window behind it (a
// right click on a button or a picture is not a click on the background),
// while context-menu events from the keyboard still travel up to the window.
void StopMousePropagation(QWidget* control);

// Enter and Return press a focused button, as Space does: outside a dialog
// Qt leaves them to the window.
void PressWithEnter(QAbstractButton* button);

}  // namespace kemless

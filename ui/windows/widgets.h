#pragma once
// Small widgets shared by the display windows.
#include <QLabel>
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

    // A value line is heard with its heading, as one name "heading　value",
    // and heard again when a refresh changes the value while it has the
    // keyboard.
    void setHeading(const QString& heading);
    QString heading() const { return heading_; }
    // Stands in for QLabel::setText, so whoever writes a line through this
    // class keeps what a screen reader hears in step with what is shown.
    void setText(const QString& text);
    // Off: a new text is not heard by itself (its window says what changed).
    void setHeardOnChange(bool heard) { heardOnChange_ = heard; }

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

private:
    void updateSpokenText();

    bool releaseEndsDoubleClick_ = false;
    bool heardOnChange_ = true;
    QString heading_;
};

// The three filled shapes of the lung picture: two ovals joined by a bar.
// Shapes are not controls: clicks pass through them to the window. The
// keyboard stops on it, and a screen reader hears its state in words.
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

// Keeps mouse presses on a control from reaching the window behind it (a
// right click on a button or a picture is not a click on the background),
// while context-menu events from the keyboard still travel up to the window.
void StopMousePropagation(QWidget* control);

// Enter and Return press a focused button, as Space does: outside a dialog
// Qt leaves them to the window.
void PressWithEnter(QAbstractButton* button);

}  // namespace kemless

#pragma once
// Small widgets shared by the display windows.
#include <QLabel>
#include <QMenu>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <utility>

namespace kemless {

// A label that keeps its mouse events to itself (a press on a label never
// reaches the window behind it) and reports a left click.
class ControlLabel : public QLabel {
    Q_OBJECT
public:
    explicit ControlLabel(QWidget* parent = nullptr);

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
};

// The three filled shapes of the lung picture: two ovals joined by a bar.
// Shapes are not controls: clicks pass through them to the window.
class LungPicture : public QWidget {
    Q_OBJECT
public:
    explicit LungPicture(QWidget* parent = nullptr);
    void setFillColor(const QColor& c);
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

// One entry of a context menu: its object name (mnuCopy, …) and caption.
struct MenuItem {
    const char* name;
    const char* caption;
    std::function<void()> action;
};
QMenu* BuildPopupMenu(QWidget* owner, std::initializer_list<MenuItem> items);

}  // namespace kemless

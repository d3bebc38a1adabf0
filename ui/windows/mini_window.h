#pragma once
#include "records/settings.h"
#include "windows/display_window.h"

namespace kemless {

class ControlLabel;

// The mini window, the six-line summary in one label with the same
// actions as the main window in its context menu. It has no timer: the main
// window's refresh writes its text.
class MiniWindow : public DisplayWindow {
    Q_OBJECT
public:
    explicit MiniWindow(QWidget* parent = nullptr);

    void setText(const QString& summary);
    QString text() const;
    void setColors(Rgb backColor, Rgb foreColor);
    ControlLabel* summaryLabel() const { return label_; }
    // Sized for the widest summary the first time it is shown.
    void setVisible(bool visible) override;

protected:
    QPoint keyboardMenuAnchor() const override;

private:
    void fitToText();

    ControlLabel* label_;
    QString summary_;
    bool fitted_ = false;
};

}  // namespace kemless

#pragma once
#include <QWidget>
#include <array>

#include "display/display_state.h"
#include "windows/display_window.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kemless {

class ControlLabel;
class LungPicture;

// The standard-size display window. It renders what the last refresh
// computed and forwards every event; it computes nothing itself.
class MainWindow : public DisplayWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Design-time state of the pictures: all six ducks hidden.
    void hideDucks();
    void render(const DisplayState& display);
    void setValueColors(Rgb backColor, Rgb foreColor);

    // The six value lines, by ValueLabel.
    QString caption(int line) const;
    ControlLabel* valueLabel(int line) const { return values_[line]; }
    QLabel* duck(Duck d) const { return ducks_[static_cast<int>(d)]; }
    QProgressBar* progressBar() const { return progress_; }
    LungPicture* lungs() const { return lungs_; }
    QPushButton* button(const char* name) const;

signals:
    void elapsedClicked();

protected:
    QPoint keyboardMenuAnchor() const override;
    void paintEvent(QPaintEvent* e) override;

private:
    void buildControls();
    void placeDuckPixmaps();

    std::array<ControlLabel*, 6> values_{};
    std::array<QLabel*, kDuckCount> ducks_{};
    QProgressBar* progress_ = nullptr;
    LungPicture* lungs_ = nullptr;
};

}  // namespace kemless

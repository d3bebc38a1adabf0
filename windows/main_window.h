#pragma once
#include <QWidget>
#include <array>

#include "engine/refresh.h"

class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kemless {

class ControlLabel;
class LungPicture;

// Form1: the standard-size display window. It renders what the last refresh
// computed and forwards every event; it computes nothing itself.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Design-time state of the pictures: all six ducks hidden.
    void hideDucks();
    void render(const DisplayState& display);
    void setValueColors(int32_t backColor, int32_t foreColor);

    QString caption(int element) const;
    ControlLabel* valueLabel(int element) const { return values_[element]; }
    QLabel* duck(Duck d) const { return ducks_[static_cast<int>(d)]; }
    QProgressBar* progressBar() const { return progress_; }
    LungPicture* lungs() const { return lungs_; }
    QMenu* popupMenu() const { return menu_; }
    QTimer* timer() const { return timer_; }
    QPushButton* button(const char* name) const;

signals:
    void tick();
    void elapsedClicked();
    void copySummaryRequested();
    void copyShortRequested();
    void openLinkRequested();
    void settingsRequested();
    void versionRequested();
    void miniRequested();
    void helpRequested();
    void exitRequested();
    void hideRequested();
    void closeRequested();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void placeDuckPixmaps();

    std::array<ControlLabel*, 6> values_{};
    std::array<QLabel*, kDuckCount> ducks_{};
    QProgressBar* progress_ = nullptr;
    LungPicture* lungs_ = nullptr;
    QMenu* menu_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace kemless

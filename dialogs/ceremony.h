#pragma once
#include <array>

#include "dialogs/form_window.h"

class QLabel;
class QPushButton;
class QTimer;

namespace kemless {

class Session;

// Form4: the start ceremony. Starting sets the quit moment to the minute of
// the click; declining ends the program without writing anything.
class StartCeremony : public FormWindow {
    Q_OBJECT
public:
    explicit StartCeremony(Session& session, QWidget* parent = nullptr);
    void start();
    QPushButton* startButton() const { return start_; }
    QPushButton* declineButton(int element) const { return decline_[element]; }

private:
    Session& session_;
    QPushButton* start_;
    std::array<QPushButton*, 2> decline_{};
};

// Form6: the seasonal ceremony, which completes the start with the quit
// moment the ordinary ceremony already set.
class SeasonalCeremony : public FormWindow {
    Q_OBJECT
public:
    explicit SeasonalCeremony(Session& session, QWidget* parent = nullptr);
    void confirm();

    QLabel* heading() const { return label1_; }
    QLabel* greeting() const { return label2_; }
    QLabel* wish(int element) const { return label3_[element]; }
    QLabel* picture(int element) const { return pictures_[element]; }
    QPushButton* startButton() const { return start_; }

private:
    void fill();
    void nextFrame();

    Session& session_;
    QLabel* label1_;
    QLabel* label2_;
    std::array<QLabel*, 2> label3_{};
    std::array<QLabel*, 3> pictures_{};
    QPushButton* start_;
    QTimer* animation_;
    int frame_ = 0;
};

// The last steps of a start, shared by both ceremonies: both files written,
// the quit marked as started, the main window opened where `ceremony` stood.
void CompleteStart(Session& session, QWidget* ceremony);

}  // namespace kemless

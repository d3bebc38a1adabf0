#pragma once
#include <array>

#include "dialogs/form_window.h"

class QLabel;
class QPushButton;
class QTimer;

namespace kemless {

struct SeasonalGreeting;

// Form4: the start ceremony. Its start button starts the quit; declining
// (either decline button, Escape or the close box) closes it, and with it
// the program, without writing anything.
class StartCeremony : public FormWindow {
    Q_OBJECT
public:
    explicit StartCeremony(QWidget* parent = nullptr);
    QPushButton* startButton() const { return start_; }
    QPushButton* declineButton(int element) const { return decline_[element]; }

signals:
    void startRequested();

private:
    QPushButton* start_;
    std::array<QPushButton*, 2> decline_{};
};

// Form6: the seasonal ceremony, which completes the start with the quit
// moment the ordinary ceremony already set. It shows the greeting of that
// moment's date, or empty lines on any other date.
class SeasonalCeremony : public FormWindow {
    Q_OBJECT
public:
    explicit SeasonalCeremony(const SeasonalGreeting* greeting, QWidget* parent = nullptr);

    QLabel* heading() const { return label1_; }
    QLabel* greeting() const { return label2_; }
    QLabel* wish(int element) const { return label3_[element]; }
    QLabel* picture(int element) const { return pictures_[element]; }
    QPushButton* startButton() const { return start_; }

signals:
    void confirmed();

private:
    void fill(const SeasonalGreeting* greeting);
    void nextFrame();

    QLabel* label1_;
    QLabel* label2_;
    std::array<QLabel*, 2> label3_{};
    std::array<QLabel*, 3> pictures_{};
    QPushButton* start_;
    QTimer* animation_;
    int frame_ = 0;
};

}  // namespace kemless

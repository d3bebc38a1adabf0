#pragma once
#include <array>

#include "dialogs/dialog_window.h"

class QLabel;
class QPushButton;
class QTimer;

namespace kemless {

struct SeasonalGreeting;

// Said when the ceremony is declined, before the program ends: what became
// of it, and what the next start does.
inline constexpr char kCeremonyDeclinedWords[] =
    "卒煙はまだ開始していません。ケムレスを終了します。\n次に起動すると、初期設定からもう一度始まります。";

// The start ceremony. Its start button starts the quit; declining
// (either decline button, Escape or the close box) closes it, and with it
// the program, without writing anything.
class StartCeremony : public DialogWindow {
    Q_OBJECT
public:
    explicit StartCeremony(QWidget* parent = nullptr);
    QPushButton* startButton() const { return start_; }
    // "もう少し考える" and "また次の機会にする".
    QPushButton* declineButton(int index) const { return decline_[index]; }

signals:
    void startRequested();

private:
    QPushButton* start_;
    std::array<QPushButton*, 2> decline_{};
};

// The seasonal ceremony, which completes the start with the quit
// moment the ordinary ceremony already set. It shows the greeting of that
// moment's date, or empty lines on any other date.
class SeasonalCeremony : public DialogWindow {
    Q_OBJECT
public:
    explicit SeasonalCeremony(const SeasonalGreeting* greeting, QWidget* parent = nullptr);

    QLabel* heading() const { return heading_; }
    QLabel* greeting() const { return greeting_; }
    // The two lines of the wish.
    QLabel* wish(int line) const { return wish_[line]; }
    // The sparkles at the left, in the middle and at the right.
    QLabel* picture(int index) const { return pictures_[index]; }
    QPushButton* startButton() const { return start_; }

signals:
    void confirmed();

private:
    void fill(const SeasonalGreeting* greeting);
    void nextFrame();

    QLabel* heading_;
    QLabel* greeting_;
    std::array<QLabel*, 2> wish_{};
    std::array<QLabel*, 3> pictures_{};
    QPushButton* start_;
    QTimer* animation_;
    int frame_ = 0;
};

}  // namespace kemless

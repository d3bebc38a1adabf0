#pragma once
#include <array>
#include <cstdint>

#include "dialogs/dialog_window.h"

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace kemless {

class Desktop;

// The first-run setup. It asks for cigarettes a day, the pack price and
// the size and hands them on once they pass their checks; nothing is
// written yet, the ceremony comes next.
class FirstRunSetup : public DialogWindow {
    Q_OBJECT
public:
    explicit FirstRunSetup(Desktop& desktop, QWidget* parent = nullptr);

    QLineEdit* perDayBox() const { return perDay_; }
    QLineEdit* priceBox() const { return price_; }
    // Short, standard, long.
    QRadioButton* sizeButton(int index) const { return sizes_[index]; }
    QPushButton* confirmButton() const { return confirm_; }

    void confirm();

signals:
    // The three values passed their checks.
    void confirmed(int32_t cigarettesPerDay, int32_t packPrice, int32_t cigaretteSize);

private:
    Desktop& desktop_;
    QLineEdit* perDay_;
    QLineEdit* price_;
    std::array<QRadioButton*, 3> sizes_{};
    QPushButton* confirm_;
};

}  // namespace kemless

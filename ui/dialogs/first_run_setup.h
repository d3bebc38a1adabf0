#pragma once
#include <array>

#include "dialogs/dialog_window.h"

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace kemless {

class Desktop;
struct InitialSettings;

// The first-run setup. It asks for cigarettes a day, the pack price
// and the size, keeps them in the record in memory only and says so; the
// ceremony comes next.
class FirstRunSetup : public DialogWindow {
    Q_OBJECT
public:
    FirstRunSetup(Desktop& desktop, InitialSettings& initial, QWidget* parent = nullptr);

    QLineEdit* perDayBox() const { return perDay_; }
    QLineEdit* priceBox() const { return price_; }
    // Short, standard, long.
    QRadioButton* sizeButton(int index) const { return sizes_[index]; }
    QPushButton* confirmButton() const { return confirm_; }

    void confirm();

signals:
    // The three values passed their checks and are in the record.
    void confirmed();

private:
    Desktop& desktop_;
    InitialSettings& initial_;
    QLineEdit* perDay_;
    QLineEdit* price_;
    std::array<QRadioButton*, 3> sizes_{};
    QPushButton* confirm_;
};

}  // namespace kemless

#pragma once
#include "dialogs/form_window.h"

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace kemless {

class Session;

// Form3: the first-run setup. It asks for cigarettes a day, the pack price
// and the size, keeps them in memory only and hands over to the ceremony.
class FirstRunSetup : public FormWindow {
    Q_OBJECT
public:
    explicit FirstRunSetup(Session& session, QWidget* parent = nullptr);

    QLineEdit* perDayBox() const { return perDay_; }
    QLineEdit* priceBox() const { return price_; }
    QRadioButton* sizeButton(int element) const { return sizes_[element]; }
    QPushButton* confirmButton() const { return confirm_; }

    void confirm();

private:
    Session& session_;
    QLineEdit* perDay_;
    QLineEdit* price_;
    QRadioButton* sizes_[3];
    QPushButton* confirm_;
};

}  // namespace kemless

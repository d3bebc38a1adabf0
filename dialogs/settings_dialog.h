#pragma once
#include <array>

#include "dialogs/form_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kemless {

class Session;

// Form2: the settings dialog. It is opened with no display window loaded and
// ends by loading the one that windowMode names.
class SettingsDialog : public FormWindow {
    Q_OBJECT
public:
    explicit SettingsDialog(Session& session, QWidget* parent = nullptr);

    void save();
    void cancel();
    void chooseTextColor();
    void chooseBackColor();
    void openNotice();

    QLineEdit* quitBox(int element) const { return quit_[element]; }
    QLineEdit* perDayBox() const { return perDay_; }
    QLineEdit* priceBox() const { return price_; }
    QLineEdit* taxBox() const { return tax_; }
    QLineEdit* linkBox() const { return link_; }
    QLineEdit* smokingYearsBox() const { return smokingYears_; }
    QComboBox* statusList() const { return status_; }
    QCheckBox* boxCountCheck() const { return boxCount_; }
    QRadioButton* sizeButton(int element) const { return sizes_[element]; }
    QRadioButton* copyPlusButton(int element) const { return copyPlus_[element]; }
    QLabel* sample() const { return sample_; }

private:
    void buildControls();
    void fill();
    void updateSample();

    Session& session_;
    std::array<QLineEdit*, 5> quit_{};
    QLineEdit* perDay_ = nullptr;
    QLineEdit* price_ = nullptr;
    QLineEdit* tax_ = nullptr;
    QLineEdit* link_ = nullptr;
    QLineEdit* smokingYears_ = nullptr;
    QComboBox* status_ = nullptr;
    QCheckBox* boxCount_ = nullptr;
    std::array<QRadioButton*, 3> sizes_{};
    std::array<QRadioButton*, 3> copyPlus_{};
    QLabel* sample_ = nullptr;
};

}  // namespace kemless

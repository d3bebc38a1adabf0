#pragma once
#include <array>

#include "dialogs/form_window.h"
#include "records/settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kemless {

class Clock;
class Desktop;

// Form2: the settings dialog. It edits the two records in place and says
// when the quit profile has been taken and when a save is complete; what is
// written and which window opens next is up to the program around it.
class SettingsDialog : public FormWindow {
    Q_OBJECT
public:
    SettingsDialog(Clock& clock, Desktop& desktop, InitialSettings& initial, OptionSettings& options,
                   QWidget* parent = nullptr);

    void save();
    void cancel();
    void chooseTextColor();
    void chooseBackColor();

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
    QPushButton* button(const char* name) const;

signals:
    // The checked quit profile is in the record: initial.ini is due now,
    // before the options are checked.
    void profileTaken();
    // Every check passed and both records hold the new values.
    void saved();
    void cancelled();
    void noticeRequested();
    void helpRequested();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildControls();
    void fill();
    void updateSample();

    Clock& clock_;
    Desktop& desktop_;
    InitialSettings& initial_;
    OptionSettings& options_;
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

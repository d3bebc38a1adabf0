#pragma once
#include <array>

#include "dialogs/dialog_window.h"
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

// The settings dialog. It edits copies of the two records and hands back
// what a save accepted, or what it holds when cancelled; what is written and
// which window opens next is up to the program around it.
class SettingsDialog : public DialogWindow {
    Q_OBJECT
public:
    SettingsDialog(Clock& clock, Desktop& desktop, const InitialSettings& initial,
                   const OptionSettings& options, QWidget* parent = nullptr);

    // The dialog's copies: colour picks land here at once, and the values a
    // save took before it was refused.
    const InitialSettings& editedInitial() const { return initial_; }
    const OptionSettings& editedOptions() const { return options_; }

    void save();
    void cancel();
    void chooseTextColor();
    void chooseBackColor();

    // Year, month, day, hour and minute of the quit moment, 0 to 4.
    QLineEdit* quitBox(int part) const { return quit_[part]; }
    QLineEdit* perDayBox() const { return perDay_; }
    QLineEdit* priceBox() const { return price_; }
    QLineEdit* taxRateBox() const { return tax_; }
    QLineEdit* linkBox() const { return link_; }
    QLineEdit* smokingYearsBox() const { return smokingYears_; }
    QComboBox* statusModeList() const { return status_; }
    QCheckBox* boxCountCheck() const { return boxCount_; }
    // Short, standard, long.
    QRadioButton* sizeButton(int index) const { return sizes_[index]; }
    QRadioButton* copyPlusButton(int mode) const { return copyPlus_[mode]; }
    QLabel* colorSample() const { return sample_; }
    QPushButton* button(const char* name) const;

signals:
    // The quit profile passed its checks but an option did not: the profile
    // is taken (initial.ini is due) and the dialog stays open.
    void profileTaken(const kemless::InitialSettings& initial);
    // Every check passed: the records as saved.
    void saved(const kemless::InitialSettings& initial, const kemless::OptionSettings& options);
    // The dialog's copies as they stand (see editedInitial).
    void cancelled(const kemless::InitialSettings& initial, const kemless::OptionSettings& options);
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
    InitialSettings initial_;
    OptionSettings options_;
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
    QPushButton* textColor_ = nullptr;
    QPushButton* backColor_ = nullptr;
};

}  // namespace kemless

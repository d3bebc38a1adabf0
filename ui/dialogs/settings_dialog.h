#pragma once
#include <array>
#include <optional>

#include "dialogs/dialog_window.h"
#include "forms/settings_result.h"
#include "geometry/placement.h"
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
class NoticeWindow;
class WindowPlacer;

// The settings dialog. It edits copies of the two records, writes nothing,
// and ends with one value (SettingsResult): saved, cancelled or closed; what
// is written and which window opens next is up to the program around it.
// The smartphone notice is its own: it stands in the dialog's place while
// it is open, and the dialog comes back, with what it held, when it closes.
class SettingsDialog : public DialogWindow {
    Q_OBJECT
public:
    SettingsDialog(Clock& clock, Desktop& desktop, const InitialSettings& initial,
                   const OptionSettings& options, QWidget* parent = nullptr);

    // Shown where the main window stood, wholly on the screen; the notice
    // stands there too.
    void openAt(const WindowPlacer& placer, Corner corner);

    // The dialog's copies: colour picks land here at once, and the values a
    // save took before it was refused.
    const InitialSettings& editedInitial() const { return initial_; }
    const OptionSettings& editedOptions() const { return options_; }
    // The notice while it is open.
    NoticeWindow* notice() const { return notice_; }
    QWidget* inView() override;

    void save();
    void cancel();
    void chooseTextColor();
    void chooseBackColor();
    void showNotice();

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
    // How it ended: once, by the save that passed every check, by Cancel or
    // Escape, or by the close box.
    void finished(const kemless::SettingsResult& result);
    void helpRequested();
    // The notice's button: the maker's site, opened for `owner`.
    void siteRequested(QWidget* owner);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildControls();
    void fill();
    void updateSample();
    void finish(SettingsResult::Ending ending);
    void placeHere(QWidget* window) const;

    Clock& clock_;
    Desktop& desktop_;
    InitialSettings initial_;
    OptionSettings options_;
    std::optional<InitialSettings> profileTaken_;
    const WindowPlacer* placer_ = nullptr;
    Corner corner_{0, 0};
    NoticeWindow* notice_ = nullptr;
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

#pragma once
#include <QList>
#include <array>

#include "dialogs/side_window.h"
#include "plan/plan_file.h"
#include "plan/reward.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTimeEdit;

namespace kemless {

// わたしの卒煙プラン: the reasons to stay quit, the triggers chosen with what
// to do instead, the alarms for the hard hours and the reward worked toward.
// It shows the plan it is given and the reward's progress the core
// computed, and hands the edited plan back when the user saves; it reads
// and writes no file.
class PlanWindow : public SideWindow {
    Q_OBJECT
public:
    explicit PlanWindow(QWidget* parent = nullptr);

    // The plan to edit and its reward's progress: every control set anew.
    void render(const Plan& plan, const RewardProgress& progress);
    // A new progress (a refresh) without touching what the user is typing.
    void showProgress(const RewardProgress& progress);
    // The plan as the controls hold it now, within its limits.
    Plan editedPlan() const;

    // For the tests and the session: the controls by what they are.
    QLineEdit* reasonEdit(int i) const { return reasons_.value(i); }
    QCheckBox* commonTriggerBox(int i) const { return commonBoxes_.value(i); }
    QLineEdit* commonActionEdit(int i) const { return commonActions_.value(i); }
    QLineEdit* ownTriggerEdit(int i) const { return ownNames_.value(i); }
    QLineEdit* ownActionEdit(int i) const { return ownActions_.value(i); }
    QCheckBox* alarmBox(int i) const { return alarms_.value(i).on; }
    QTimeEdit* alarmTime(int i) const { return alarms_.value(i).time; }
    QCheckBox* alarmDay(int i, int day) const { return alarms_.value(i).days[day]; }
    QComboBox* alarmTrigger(int i) const { return alarms_.value(i).trigger; }
    QLineEdit* rewardNameEdit() const { return rewardName_; }
    QSpinBox* rewardPriceBox() const { return rewardPrice_; }
    QLabel* rewardWordsLabel() const { return rewardWords_; }
    QProgressBar* rewardBar() const { return rewardBar_; }
    QLabel* reachedLabel() const { return reached_; }
    QScrollArea* scrollArea() const { return scroll_; }
    QPushButton* button(const char* name) const;

signals:
    // 保存: the plan as edited, within its limits (the lines only the file
    // holds ride along unchanged).
    void saved(const kemless::Plan& plan);

private:
    struct AlarmRow {
        QCheckBox* on = nullptr;
        QTimeEdit* time = nullptr;
        std::array<QCheckBox*, 7> days{};
        QComboBox* trigger = nullptr;
    };
    QLabel* heading(const QString& text);
    void showNextOwnRow();
    // Each alarm's list of triggers: those chosen now.
    void offerChosenTriggers();
    void enableAlarmRow(int i);
    void startNextReward();

    Plan given_;
    RewardProgress progress_;
    QWidget* rows_;
    QScrollArea* scroll_;
    QList<QLineEdit*> reasons_;
    QList<QCheckBox*> commonBoxes_;
    QList<QLineEdit*> commonActions_;
    QList<QLineEdit*> ownNames_;
    QList<QLineEdit*> ownActions_;
    QList<QWidget*> ownRowWidgets_;
    QList<AlarmRow> alarms_;
    QLineEdit* rewardName_;
    QSpinBox* rewardPrice_;
    QProgressBar* rewardBar_;
    QLabel* rewardWords_;
    QPushButton* nextReward_;
    QLabel* reached_;
};

}  // namespace kemless

#pragma once
// The windows beside the display (吸いたくなったら, これまでの記録, 回復のあゆみ,
// わたしの卒煙プラン), by the names the command line, the menus and a later
// start use: each made when first asked for, shown with the last refresh,
// gone when closed (the next request makes a fresh one). The craving
// helper's answers go to the journal, which the record shows at once; the
// plan lives in plan.ini beside the record, read at its first need.
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>
#include <string>

#include "dialogs/craving_window.h"
#include "dialogs/health_window.h"
#include "dialogs/plan_window.h"
#include "dialogs/record_window.h"
#include "display/display_state.h"
#include "plan/plan_file.h"
#include "plan/reward.h"

namespace kemless {

class Clock;
class Desktop;
class JournalBook;
class SettingsStore;

class SideWindows : public QObject {
    Q_OBJECT
public:
    // `store`: the record's, whose data folder holds plan.ini; `desktop`
    // says a plan that cannot be read or saved.
    SideWindows(Clock& clock, JournalBook& journal, const SettingsStore& store, Desktop& desktop,
                QObject* parent = nullptr);
    ~SideWindows() override;
    SideWindows(const SideWindows&) = delete;
    SideWindows& operator=(const SideWindows&) = delete;

    static bool IsWindowName(const QString& name);

    // The window of this name, made or brought forward, showing the last
    // refresh; unknown names are ignored.
    void open(const QString& name);
    // A refresh, and the quit moment in force: every open window shows it.
    void render(const DisplayState& display, const CalendarMoment& quit);
    // Exit closes them with the display windows: they show its figures.
    void closeAll();

    // The plan as plan.ini holds it (read at the first need; a file that
    // cannot be read is said once and leaves the plan empty), and its
    // reward's progress at the last refresh.
    const Plan& plan();
    RewardProgress rewardProgress();

    CravingWindow* craving() const { return craving_; }
    RecordWindow* record() const { return record_; }
    HealthWindow* health() const { return health_; }
    PlanWindow* planWindow() const { return plan_; }

signals:
    // A window was made: the program ends only once every window has gone.
    void windowMade(QWidget* window);

private:
    void answer(bool passed);
    void renderRecord();
    void readPlan();
    // The helper's reasons and triggers, for a new urge: nothing picked.
    void givePlan();
    void savePlan(const Plan& plan);
    QList<QWidget*> windows() const;

    Clock& clock_;
    JournalBook& journal_;
    const SettingsStore& store_;
    Desktop& desktop_;
    QPointer<CravingWindow> craving_;
    QPointer<RecordWindow> record_;
    QPointer<HealthWindow> health_;
    QPointer<PlanWindow> plan_;
    // The last refresh, which a window made later shows at once.
    std::optional<DisplayState> display_;
    CalendarMoment quit_;
    PlanFile planFile_;
    bool planRead_ = false;
    bool planProblemSaid_ = false;
    // The trigger picked in the helper for this urge.
    std::string picked_;
};

}  // namespace kemless

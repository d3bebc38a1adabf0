#pragma once
// The windows beside the display (吸いたくなったら, これまでの記録, 回復のあゆみ),
// by the names the command line, the menus and a later start use: each made
// when first asked for, shown with the last refresh, gone when closed (the
// next request makes a fresh one). The craving helper's answers go to the
// journal, which the record shows at once.
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

#include "dialogs/craving_window.h"
#include "dialogs/health_window.h"
#include "dialogs/record_window.h"
#include "display/display_state.h"

namespace kemless {

class Clock;
class JournalBook;

class SideWindows : public QObject {
    Q_OBJECT
public:
    SideWindows(Clock& clock, JournalBook& journal, QObject* parent = nullptr);
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

    CravingWindow* craving() const { return craving_; }
    RecordWindow* record() const { return record_; }
    HealthWindow* health() const { return health_; }

signals:
    // A window was made: the program ends only once every window has gone.
    void windowMade(QWidget* window);

private:
    void answer(bool passed);
    void renderRecord();

    Clock& clock_;
    JournalBook& journal_;
    QPointer<CravingWindow> craving_;
    QPointer<RecordWindow> record_;
    QPointer<HealthWindow> health_;
    // The last refresh, which a window made later shows at once.
    std::optional<DisplayState> display_;
    CalendarMoment quit_;
};

}  // namespace kemless

#pragma once
#include <QList>

#include "dialogs/side_window.h"
#include "plan/triggers.h"
#include "recovery/attempts.h"

class QLabel;
class QPushButton;

namespace kemless {

class HourStrip;
class UrgeChart;

// これまでの記録: the urges passed and the slips of this attempt and of all,
// the longest attempt, and the urges passed on each of the last 28 days.
class RecordWindow : public SideWindow {
    Q_OBJECT
public:
    explicit RecordWindow(QWidget* parent = nullptr);

    void render(const RecordView& view);
    // The triggers of the last 28 days and the hours the urges came.
    void showHardMoments(const HardMoments& moments);

    QLabel* line(int i) const { return lines_.value(i); }
    int lineCount() const { return int(lines_.size()); }
    UrgeChart* chart() const { return chart_; }
    QLabel* noteLabel() const { return note_; }
    QLabel* triggersLabel() const { return triggers_; }
    HourStrip* hourStrip() const { return hours_; }
    QPushButton* button(const char* name) const;

signals:
    void cravingRequested();

private:
    QList<QLabel*> headings_;
    QList<QLabel*> lines_;
    QLabel* chartHeading_;
    UrgeChart* chart_;
    QLabel* triggersHeading_;
    QLabel* triggers_;
    QLabel* hoursHeading_;
    HourStrip* hours_;
    QLabel* note_;
};

}  // namespace kemless

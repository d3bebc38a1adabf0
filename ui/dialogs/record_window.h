#pragma once
#include <QList>

#include "dialogs/side_window.h"
#include "recovery/attempts.h"

class QLabel;
class QPushButton;

namespace kemless {

class UrgeChart;

// これまでの記録: the urges passed and the slips of this attempt and of all,
// the longest attempt, and the urges passed on each of the last 28 days.
class RecordWindow : public SideWindow {
    Q_OBJECT
public:
    explicit RecordWindow(QWidget* parent = nullptr);

    void render(const RecordView& view);

    QLabel* line(int i) const { return lines_.value(i); }
    int lineCount() const { return int(lines_.size()); }
    UrgeChart* chart() const { return chart_; }
    QLabel* noteLabel() const { return note_; }
    QPushButton* button(const char* name) const;

signals:
    void cravingRequested();

private:
    QList<QLabel*> headings_;
    QList<QLabel*> lines_;
    QLabel* chartHeading_;
    UrgeChart* chart_;
    QLabel* note_;
};

}  // namespace kemless

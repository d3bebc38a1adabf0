#pragma once
#include <QList>

#include "dialogs/side_window.h"
#include "recovery/health_steps.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;

namespace kemless {

// 回復のあゆみ: what the body wins back after the last cigarette, step by
// step, each reached (and when) or how long it is away, the way to the next
// one as a bar, and where the steps come from. It renders the timeline the
// refresh computed.
class HealthWindow : public SideWindow {
    Q_OBJECT
public:
    explicit HealthWindow(QWidget* parent = nullptr);

    void render(const HealthTimeline& timeline);

    QLabel* summaryLabel() const { return summary_; }
    QLabel* stepLabel(int i) const { return steps_.value(i); }
    int stepCount() const { return int(steps_.size()); }
    // The bar under the next step; hidden once every step is reached.
    QProgressBar* nextBar() const { return bar_; }
    QLabel* sourceLabel() const { return source_; }
    QScrollArea* scrollArea() const { return scroll_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildRows(int count);

    QLabel* summary_;
    QScrollArea* scroll_;
    QWidget* rows_;
    QList<QLabel*> marks_;
    QList<QLabel*> steps_;
    QProgressBar* bar_;
    QLabel* source_;
    int nextIndex_ = -1;
};

}  // namespace kemless

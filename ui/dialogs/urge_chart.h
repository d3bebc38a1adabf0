#pragma once
#include <QString>
#include <QWidget>
#include <array>

#include "recovery/attempts.h"

namespace kemless {

// Bars of the urges passed on each of the last days, today at the right,
// drawn from the heights the core worked out. A screen reader hears the
// chart told in words; it takes the keyboard so that it can be reached.
class UrgeChart : public QWidget {
    Q_OBJECT
public:
    explicit UrgeChart(QWidget* parent = nullptr);
    void setChart(const RecordView& view);
    const std::array<int32_t, kChartDays>& counts() const { return counts_; }

    QSize sizeHint() const override { return {360, 120}; }
    QSize minimumSizeHint() const override { return {28 * 6, 80}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::array<int32_t, kChartDays> permille_{};
    std::array<int32_t, kChartDays> counts_{};
    QString firstDay_, lastDay_;
};

}  // namespace kemless

#pragma once
#include <QString>
#include <QWidget>
#include <array>

#include "plan/triggers.h"

namespace kemless {

// The hours of the day the urges came, a column for each of the 24 hours
// (0:00 at the left), drawn from the heights the core worked out. A screen
// reader hears it told in words; it takes the keyboard so that it can be
// reached.
class HourStrip : public QWidget {
    Q_OBJECT
public:
    explicit HourStrip(QWidget* parent = nullptr);
    void setStrip(const HardMoments& moments);
    const std::array<int32_t, 24>& counts() const { return counts_; }

    QSize sizeHint() const override { return {240, 120}; }
    QSize minimumSizeHint() const override { return {24 * 6, 44}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::array<int32_t, 24> permille_{};
    std::array<int32_t, 24> counts_{};
};

}  // namespace kemless

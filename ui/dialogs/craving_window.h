#pragma once
#include <QElapsedTimer>
#include <QTimer>
#include <array>

#include "dialogs/plan_in_craving.h"
#include "dialogs/side_window.h"
#include "recovery/craving.h"

class QLabel;
class QPushButton;

namespace kemless {

class BreathingRing;

// 吸いたくなったら: five minutes counted down with a slow breathing guide,
// what has been won so far, and two buttons to say how the craving ended.
// It tells what the user did (urgePassed, slipped) and shows the words it is
// given back; closing it says nothing. The picture moves only while the
// window is on the screen, and stops for good at the end of the five minutes.
class CravingWindow : public SideWindow {
    Q_OBJECT
public:
    explicit CravingWindow(QWidget* parent = nullptr);

    // The figures of the last refresh.
    void setFigures(const std::array<FigureLine, 3>& figures);
    // After urgePassed or slipped: what became of it, in words.
    void showOutcome(const QString& words);
    // The countdown and the breath `elapsedMs` after the window came up.
    void renderAt(qint64 elapsedMs);
    // Answered, or the five minutes are over: nothing more to do for this
    // craving.
    bool isOver() const { return finished_ || answered_; }
    // A new craving in the same window: the five minutes from now, the two
    // answers open again, the keyboard on the breathing guide.
    void startAfresh();

    QTimer* animationTimer() { return &animation_; }
    BreathingRing* ring() const { return ring_; }
    QLabel* countdownLabel() const { return countdown_; }
    QLabel* messageLabel() const { return message_; }
    QLabel* figureLabel(int i) const { return figures_[i]; }
    QPushButton* button(const char* name) const;
    // The user's reasons and chosen triggers, shown above the answers.
    void setPlan(const QStringList& reasons, const QList<PlanInCraving::Trigger>& triggers);
    PlanInCraving* planPart() const { return plan_; }

    // Frames a second: enough for a slow breath (the disc moves a few
    // pixels a frame), little work for the machine.
    static constexpr int kFrameMs = 200;
    // Where the desktop asks for less motion the disc steps with the breath
    // between two sizes, and only the countdown's seconds move.
    static constexpr int kSteppedFrameMs = 1000;
    void setLessMotion(bool less);

signals:
    void urgePassed();
    void slipped();
    void recordRequested();
    // A trigger picked for this urge (empty: none).
    void triggerPicked(const QString& name);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void tick();
    void answered();
    bool eventFilter(QObject* watched, QEvent* e) override;

    BreathingRing* ring_;
    QLabel* intro_;
    QLabel* countdown_;
    std::array<QLabel*, 3> figures_{};
    QLabel* message_;
    QWidget* ask_;
    QWidget* told_;
    QTimer animation_;
    QElapsedTimer since_;
    bool finished_ = false;
    bool answered_ = false;
    bool lessMotion_ = false;
    PlanInCraving* plan_ = nullptr;
};

}  // namespace kemless

#pragma once
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace kemless {

// The user's plan in the craving helper: one of their reasons to stay quit,
// turning every few breaths, and a chip for each trigger they chose. One
// press on a chip picks what brought this urge on and shows the plan for it;
// a second press on the same chip takes it back. Picking is optional.
class PlanInCraving : public QWidget {
    Q_OBJECT
public:
    struct Trigger {
        QString name;    // 「食後」
        QString ifThen;  // 「食後に吸いたくなったら → 歯をみがく」
    };
    explicit PlanInCraving(QWidget* parent = nullptr);

    // The reasons and the chosen triggers; what was picked is let go.
    void setPlan(const QStringList& reasons, const QList<Trigger>& triggers);
    // The reason shown `elapsedMs` after the helper came up.
    void showReasonAt(qint64 elapsedMs);

    QLabel* reasonLabel() const { return reason_; }
    QLabel* planLabel() const { return plan_; }
    QPushButton* chip(int i) const { return chips_.value(i); }
    int chipCount() const { return int(chips_.size()); }
    QString picked() const { return picked_; }
    // The controls in reading order, for the helper's Tab chain.
    QList<QWidget*> focusChain() const;

signals:
    // The trigger picked (empty: none).
    void triggerPicked(const QString& name);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void pick(int i);

    QStringList reasons_;
    QList<Trigger> triggers_;
    QLabel* reason_;
    QLabel* question_;
    QWidget* chipRow_;
    QList<QPushButton*> chips_;
    QLabel* plan_;
    QString picked_;
    QTimer turn_;
    QElapsedTimer since_;
};

}  // namespace kemless

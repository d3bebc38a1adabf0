#include "dialogs/plan_in_craving.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/accessibility.h"
#include "recovery/craving.h"

namespace kemless {
namespace {

// A line a screen reader reaches with Tab and hears whole.
QLabel* ReadableLine(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setFocusPolicy(Qt::TabFocus);
    MakeSpoken(l, QAccessible::StaticText);
    return l;
}

// A chip is heard with the question.
QString ChipName(const PlanInCraving::Trigger& trigger) {
    return QString::fromUtf8(kTriggerQuestion) + QStringLiteral("　") + trigger.name;
}

void ShowLine(QLabel* line, const QString& text) {
    if (line->text() == text) return;
    line->setText(text);
    SetSpokenName(line, text);
}

}  // namespace

PlanInCraving::PlanInCraving(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("planInCraving"));
    reason_ = ReadableLine("reasonLabel", this);
    question_ = new QLabel(QString::fromUtf8(kTriggerQuestion), this);
    question_->setObjectName(QStringLiteral("triggerQuestion"));
    // Each chip says the question with its name.
    MarkDecorative(question_);
    chipRow_ = new QWidget(this);
    chipRow_->setObjectName(QStringLiteral("triggerChips"));
    auto* row = new QHBoxLayout(chipRow_);
    row->setContentsMargins(0, 0, 0, 0);
    plan_ = ReadableLine("triggerPlanLabel", this);
    plan_->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(reason_);
    column->addWidget(question_);
    column->addWidget(chipRow_);
    column->addWidget(plan_);

    turn_.setObjectName(QStringLiteral("reasonTimer"));
    turn_.setInterval(int(kReasonTurnMs));
    turn_.setTimerType(Qt::CoarseTimer);
    connect(&turn_, &QTimer::timeout, this, [this] { showReasonAt(since_.elapsed()); });
    setPlan({}, {});
}

void PlanInCraving::setPlan(const QStringList& reasons, const QList<Trigger>& triggers) {
    reasons_ = reasons;
    triggers_ = triggers;
    picked_.clear();
    qDeleteAll(chips_);
    chips_.clear();
    while (QLayoutItem* item = chipRow_->layout()->takeAt(0)) delete item;
    for (int i = 0; i < triggers.size(); ++i) {
        auto* chip = new QPushButton(triggers[i].name, chipRow_);
        chip->setObjectName(QStringLiteral("triggerChip%1").arg(i));
        chip->setCheckable(true);
        chip->setAutoDefault(false);
        chip->setAccessibleName(ChipName(triggers[i]));
        connect(chip, &QPushButton::clicked, this, [this, i] { pick(i); });
        chipRow_->layout()->addWidget(chip);
        chips_.append(chip);
    }
    static_cast<QHBoxLayout*>(chipRow_->layout())->addStretch();
    question_->setVisible(!triggers.isEmpty());
    chipRow_->setVisible(!triggers.isEmpty());
    plan_->hide();
    reason_->setVisible(!reasons.isEmpty());
    showReasonAt(since_.isValid() ? since_.elapsed() : 0);
    setVisible(!reasons.isEmpty() || !triggers.isEmpty());
    if (isVisible() && reasons.size() > 1) turn_.start();
}

void PlanInCraving::showReasonAt(qint64 elapsedMs) {
    const int i = ReasonShownAt(int(reasons_.size()), elapsedMs);
    if (i >= 0) ShowLine(reason_, QString::fromUtf8(kReasonHeading) + reasons_[i]);
}

void PlanInCraving::pick(int i) {
    const bool taking = chips_[i]->isChecked();
    for (int j = 0; j < chips_.size(); ++j)
        if (j != i) chips_[j]->setChecked(false);
    picked_ = taking ? triggers_[i].name : QString();
    if (taking) {
        ShowLine(plan_, triggers_[i].ifThen);
    }
    plan_->setVisible(taking);
    // The keyboard goes to the plan, so a screen reader reads it; Shift+Tab
    // is back on the chip.
    if (taking) plan_->setFocus(Qt::OtherFocusReason);
    emit triggerPicked(picked_);
}

QList<QWidget*> PlanInCraving::focusChain() const {
    QList<QWidget*> chain{reason_};
    for (QPushButton* chip : chips_) chain.append(chip);
    chain.append(plan_);
    return chain;
}

void PlanInCraving::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!since_.isValid()) since_.start();
    showReasonAt(since_.elapsed());
    if (reasons_.size() > 1) turn_.start();
}

void PlanInCraving::hideEvent(QHideEvent* e) {
    turn_.stop();
    QWidget::hideEvent(e);
}

}  // namespace kemless

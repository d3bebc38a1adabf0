#include "dialogs/plan_window.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "basics/text.h"
#include "desktop/accessibility.h"

namespace kemless {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The user's own triggers beside the common ones: as many as the plan keeps.
constexpr int kOwnTriggerRows = kMaxTriggers - int(kCommonTriggers.size());

const char* const kDayNames[7] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
const char* const kDayLetters[7] = {"日", "月", "火", "水", "木", "金", "土"};

QString Numbered(const char* text, int i) {
    return QString::fromUtf8(text) + QString::fromStdString(ToFullWidth(std::to_string(i + 1)));
}

QLineEdit* LineEdit(QWidget* parent, const QString& objectName, const QString& spoken, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setAccessibleName(spoken);
    edit->setMaxLength(maxLength);
    return edit;
}

QLabel* Arrow(QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("に吸いたくなったら →"), parent);
    // The text box after it says the same in its name.
    MarkDecorative(label);
    return label;
}

}  // namespace

PlanWindow::PlanWindow(QWidget* parent)
    : SideWindow(QStringLiteral("planWindow"), QStringLiteral("わたしの卒煙プラン - ケムレス"), parent) {
    DescribeWindow(this, WindowKind::Window, QStringLiteral("わたしの卒煙プラン"));
    rows_ = new QWidget;
    rows_->setObjectName(QStringLiteral("planRows"));
    auto* column = new QVBoxLayout(rows_);

    // やめる理由: ten lines, each a stop of its own.
    column->addWidget(heading(QStringLiteral("やめる理由")));
    auto* reasonGrid = new QGridLayout;
    for (int i = 0; i < kMaxReasons; ++i) {
        auto* edit = LineEdit(rows_, QStringLiteral("reasonEdit%1").arg(i), Numbered("やめる理由", i),
                              kMaxReasonLength);
        if (i == 0) edit->setPlaceholderText(QStringLiteral("例：家族のため"));
        if (i == 1) edit->setPlaceholderText(QStringLiteral("例：走れるように"));
        reasonGrid->addWidget(edit, i, 0);
        reasons_ << edit;
    }
    column->addLayout(reasonGrid);

    // きっかけと対策: the common triggers to tick, then the user's own, each
    // with what to do instead.
    column->addSpacing(8);
    column->addWidget(heading(QStringLiteral("きっかけと対策")));
    auto* triggerGrid = new QGridLayout;
    triggerGrid->setColumnStretch(2, 1);
    int row = 0;
    for (const char* name : kCommonTriggers) {
        const QString trigger = QString::fromUtf8(name);
        auto* box = new QCheckBox(trigger, rows_);
        box->setObjectName(QStringLiteral("triggerBox%1").arg(row));
        box->setAccessibleName(QStringLiteral("きっかけ　") + trigger);
        auto* action = LineEdit(rows_, QStringLiteral("triggerAction%1").arg(row),
                                trigger + QStringLiteral("に吸いたくなったら"), kMaxActionLength);
        // Writing a plan for a trigger chooses it.
        connect(action, &QLineEdit::textEdited, box, [box] { box->setChecked(true); });
        connect(box, &QCheckBox::toggled, this, [this] { offerChosenTriggers(); });
        triggerGrid->addWidget(box, row, 0);
        triggerGrid->addWidget(Arrow(rows_), row, 1);
        triggerGrid->addWidget(action, row, 2);
        commonBoxes_ << box;
        commonActions_ << action;
        ++row;
    }
    for (int i = 0; i < kOwnTriggerRows; ++i, ++row) {
        auto* name = LineEdit(rows_, QStringLiteral("ownTrigger%1").arg(i), Numbered("自分のきっかけ", i),
                              kMaxTriggerLength);
        name->setPlaceholderText(QStringLiteral("自分のきっかけ"));
        auto* arrow = Arrow(rows_);
        auto* action =
            LineEdit(rows_, QStringLiteral("ownAction%1").arg(i),
                     Numbered("自分のきっかけ", i) + QStringLiteral("に吸いたくなったら"), kMaxActionLength);
        // Naming one offers the next row.
        connect(name, &QLineEdit::textEdited, this, [this] {
            showNextOwnRow();
            offerChosenTriggers();
        });
        triggerGrid->addWidget(name, row, 0);
        triggerGrid->addWidget(arrow, row, 1);
        triggerGrid->addWidget(action, row, 2);
        ownNames_ << name;
        ownActions_ << action;
        ownRowWidgets_ << name << arrow << action;
    }
    commonActions_.value(0)->setPlaceholderText(QStringLiteral("例：歯をみがく"));
    column->addLayout(triggerGrid);

    // つらい時間のお知らせ: five rows, each off until the user turns it on.
    column->addSpacing(8);
    column->addWidget(heading(QStringLiteral("つらい時間のお知らせ")));
    auto* alarmGrid = new QGridLayout;
    alarmGrid->setHorizontalSpacing(4);
    for (int i = 0; i < kMaxAlarms; ++i) {
        AlarmRow a;
        const QString label = Numbered("お知らせ", i);
        a.on = new QCheckBox(label, rows_);
        a.on->setObjectName(QStringLiteral("alarmBox%1").arg(i));
        a.on->setAccessibleName(QStringLiteral("つらい時間の") + label);
        a.time = new QTimeEdit(rows_);
        a.time->setObjectName(QStringLiteral("alarmTime%1").arg(i));
        a.time->setDisplayFormat(QStringLiteral("HH:mm"));
        a.time->setAccessibleName(label + QStringLiteral("の時刻"));
        alarmGrid->addWidget(a.on, i, 0);
        alarmGrid->addWidget(a.time, i, 1);
        for (int d = 0; d < 7; ++d) {
            auto* day = new QCheckBox(QString::fromUtf8(kDayLetters[d]), rows_);
            day->setObjectName(QStringLiteral("alarmDay%1_%2").arg(i).arg(d));
            day->setAccessibleName(label + QStringLiteral("　") + QString::fromUtf8(kDayNames[d]));
            alarmGrid->addWidget(day, i, 2 + d);
            a.days[d] = day;
        }
        a.trigger = new QComboBox(rows_);
        // The name it holds, so a list made anew keeps it.
        connect(a.trigger, &QComboBox::currentIndexChanged, this, [this, i](int at) {
            alarms_[i].trigger->setProperty("trigger", at > 0 ? alarms_[i].trigger->itemText(at) : QString());
        });
        a.trigger->setObjectName(QStringLiteral("alarmTrigger%1").arg(i));
        a.trigger->setAccessibleName(label + QStringLiteral("のきっかけ"));
        alarmGrid->addWidget(a.trigger, i, 9);
        connect(a.on, &QCheckBox::toggled, this, [this, i] { enableAlarmRow(i); });
        alarms_ << a;
    }
    alarmGrid->setColumnStretch(10, 1);
    column->addLayout(alarmGrid);

    // ごほうび: a name and a price, and how far the money not spent has come.
    column->addSpacing(8);
    column->addWidget(heading(QStringLiteral("ごほうび")));
    auto* rewardRow = new QHBoxLayout;
    rewardName_ =
        LineEdit(rows_, QStringLiteral("rewardName"), QStringLiteral("ごほうびの名前"), kMaxRewardNameLength);
    rewardName_->setPlaceholderText(QStringLiteral("例：ロードバイク"));
    rewardPrice_ = new QSpinBox(rows_);
    rewardPrice_->setObjectName(QStringLiteral("rewardPrice"));
    rewardPrice_->setAccessibleName(QStringLiteral("ごほうびの値段（円）"));
    rewardPrice_->setRange(0, int(kMaxRewardPrice));
    rewardPrice_->setGroupSeparatorShown(true);
    rewardPrice_->setSuffix(QStringLiteral("円"));
    rewardRow->addWidget(rewardName_, 1);
    rewardRow->addWidget(rewardPrice_);
    column->addLayout(rewardRow);
    rewardWords_ = new QLabel(rows_);
    rewardWords_->setObjectName(QStringLiteral("rewardWords"));
    rewardWords_->setWordWrap(true);
    rewardWords_->setTextFormat(Qt::PlainText);
    rewardWords_->setFocusPolicy(Qt::TabFocus);
    MakeSpoken(rewardWords_, QAccessible::StaticText);
    column->addWidget(rewardWords_);
    rewardBar_ = new QProgressBar(rows_);
    rewardBar_->setObjectName(QStringLiteral("rewardBar"));
    rewardBar_->setRange(0, 1000);
    rewardBar_->setTextVisible(false);
    rewardBar_->setMaximumHeight(12);
    rewardBar_->setAccessibleName(QStringLiteral("ごほうびまでの道のり"));
    // The words above say it; the bar shows it.
    rewardBar_->setFocusPolicy(Qt::NoFocus);
    column->addWidget(rewardBar_);
    nextReward_ = new QPushButton(QStringLiteral("次のごほうびを決める"), rows_);
    nextReward_->setObjectName(QStringLiteral("nextRewardButton"));
    nextReward_->setAutoDefault(false);
    connect(nextReward_, &QPushButton::clicked, this, &PlanWindow::startNextReward);
    auto* nextRow = new QHBoxLayout;
    nextRow->addWidget(nextReward_);
    nextRow->addStretch();
    column->addLayout(nextRow);
    reached_ = new QLabel(rows_);
    reached_->setObjectName(QStringLiteral("reachedLabel"));
    reached_->setWordWrap(true);
    reached_->setTextFormat(Qt::PlainText);
    reached_->setFocusPolicy(Qt::TabFocus);
    MakeSpoken(reached_, QAccessible::StaticText);
    column->addWidget(reached_);
    column->addStretch();

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("planScroll"));
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(rows_);
    // The keyboard goes through the controls themselves, and the one it
    // rests on comes into view.
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setMinimumWidth(rows_->minimumSizeHint().width() +
                             scroll_->verticalScrollBar()->sizeHint().width() + 2 * scroll_->frameWidth());

    auto* save = new QPushButton(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, [this] { emit saved(editedPlan()); });
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAutoDefault(false);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(closeButton);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(scroll_, 1);
    outer->addLayout(buttons);
    resize(680, 640);
    render(Plan(), RewardProgress());
}

QLabel* PlanWindow::heading(const QString& text) {
    auto* label = new QLabel(text, rows_);
    label->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; }"));
    // Each control says its part of the plan in its own name.
    MarkDecorative(label);
    return label;
}

QPushButton* PlanWindow::button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void PlanWindow::render(const Plan& plan, const RewardProgress& progress) {
    given_ = plan;
    for (int i = 0; i < reasons_.size(); ++i)
        reasons_[i]->setText(i < int(plan.reasons.size()) ? Q(plan.reasons[i]) : QString());

    for (int i = 0; i < commonBoxes_.size(); ++i) {
        const TriggerPlan* chosen = plan.trigger(kCommonTriggers[i]);
        commonBoxes_[i]->setChecked(chosen != nullptr);
        commonActions_[i]->setText(chosen != nullptr ? Q(chosen->action) : QString());
    }
    int own = 0;
    for (const TriggerPlan& t : plan.triggers) {
        if (IsCommonTrigger(t.name) || own >= ownNames_.size()) continue;
        ownNames_[own]->setText(Q(t.name));
        ownActions_[own]->setText(Q(t.action));
        ++own;
    }
    for (int i = own; i < ownNames_.size(); ++i) {
        ownNames_[i]->clear();
        ownActions_[i]->clear();
    }
    showNextOwnRow();

    for (int i = 0; i < alarms_.size(); ++i) {
        const AlarmRow& row = alarms_[i];
        const PlanAlarm a = i < int(plan.alarms.size()) ? plan.alarms[i] : PlanAlarm();
        row.on->setChecked(a.on);
        row.time->setTime(QTime(a.hour, a.minute));
        for (int d = 0; d < 7; ++d) row.days[d]->setChecked(a.days[d]);
        row.trigger->setProperty("trigger", Q(a.trigger));
        enableAlarmRow(i);
    }

    offerChosenTriggers();

    rewardName_->setText(plan.reward ? Q(plan.reward->name) : QString());
    rewardPrice_->setValue(plan.reward ? int(plan.reward->price) : 0);
    reached_->setText(Q(ReachedRewardsText(plan)));
    SetSpokenName(reached_, reached_->text());
    reached_->setVisible(!plan.reached.empty());
    showProgress(progress);
}

void PlanWindow::showProgress(const RewardProgress& progress) {
    progress_ = progress;
    rewardWords_->setText(Q(progress.words));
    SetSpokenName(rewardWords_, rewardWords_->text());
    rewardBar_->setVisible(progress.set);
    rewardBar_->setValue(progress.permille);
    nextReward_->setVisible(progress.set && progress.reached);
}

void PlanWindow::showNextOwnRow() {
    // Every named row and one empty row after them.
    bool emptyShown = false;
    for (int i = 0; i < ownNames_.size(); ++i) {
        const bool named = !ownNames_[i]->text().trimmed().isEmpty();
        const bool show = named || !emptyShown;
        if (!named && show) emptyShown = true;
        for (int w = 0; w < 3; ++w) ownRowWidgets_[i * 3 + w]->setVisible(show);
    }
}

void PlanWindow::offerChosenTriggers() {
    QStringList chosen{QStringLiteral("きっかけなし")};
    for (int i = 0; i < commonBoxes_.size(); ++i)
        if (commonBoxes_[i]->isChecked()) chosen << commonBoxes_[i]->text();
    for (const QLineEdit* name : ownNames_)
        if (const QString t = name->text().trimmed(); !t.isEmpty() && !chosen.contains(t)) chosen << t;
    for (const AlarmRow& row : alarms_) {
        // What the row named, kept while that trigger stays chosen.
        const QString named = row.trigger->property("trigger").toString();
        QSignalBlocker quiet(row.trigger);
        row.trigger->clear();
        row.trigger->addItems(chosen);
        row.trigger->setCurrentIndex(std::max(0, int(chosen.indexOf(named, 1))));
    }
}

void PlanWindow::enableAlarmRow(int i) {
    const AlarmRow& row = alarms_[i];
    // An alarm turned off is one stop for the keyboard: its box.
    const bool on = row.on->isChecked();
    row.time->setEnabled(on);
    for (QCheckBox* day : row.days) day->setEnabled(on);
    row.trigger->setEnabled(on);
}

void PlanWindow::startNextReward() {
    const Plan next = WithRewardReached(editedPlan(), progress_);
    if (next.reward == editedPlan().reward) return;
    given_ = next;
    rewardName_->clear();
    rewardPrice_->setValue(0);
    reached_->setText(Q(ReachedRewardsText(given_)));
    SetSpokenName(reached_, reached_->text());
    reached_->setVisible(!given_.reached.empty());
    RewardProgress none;
    none.quit = progress_.quit;
    none.words = "次のごほうびの名前と値段を入れて、「保存」を押してください。";
    showProgress(none);
    rewardName_->setFocus(Qt::TabFocusReason);
}

Plan PlanWindow::editedPlan() const {
    Plan p = given_;
    p.reasons.clear();
    for (const QLineEdit* edit : reasons_) p.reasons.push_back(S(edit->text()));
    p.triggers.clear();
    for (int i = 0; i < commonBoxes_.size(); ++i)
        if (commonBoxes_[i]->isChecked())
            p.triggers.push_back({kCommonTriggers[i], S(commonActions_[i]->text())});
    for (int i = 0; i < ownNames_.size(); ++i)
        p.triggers.push_back({S(ownNames_[i]->text()), S(ownActions_[i]->text())});
    // An alarm keeps its row (the journal knows it by it): the rows up to
    // the last one turned on or held before are kept, the rest never were.
    int rowsKept = int(given_.alarms.size());
    for (int i = 0; i < alarms_.size(); ++i)
        if (alarms_[i].on->isChecked()) rowsKept = std::max(rowsKept, i + 1);
    p.alarms.clear();
    for (int i = 0; i < rowsKept && i < alarms_.size(); ++i) {
        const AlarmRow& row = alarms_[i];
        PlanAlarm a;
        a.on = row.on->isChecked();
        a.hour = row.time->time().hour();
        a.minute = row.time->time().minute();
        for (int d = 0; d < 7; ++d) a.days[d] = row.days[d]->isChecked();
        a.trigger = row.trigger->currentIndex() > 0 ? S(row.trigger->currentText()) : std::string();
        p.alarms.push_back(a);
    }
    p.reward.reset();
    if (!rewardName_->text().trimmed().isEmpty())
        p.reward = Reward{S(rewardName_->text()), rewardPrice_->value()};
    // Empty lines and triggers without a name drop out here.
    return LimitPlan(std::move(p));
}

}  // namespace kemless

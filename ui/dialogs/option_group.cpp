#include "dialogs/option_group.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRadioButton>

namespace kemless {

int CheckedOption(const std::array<QRadioButton*, 3>& buttons) {
    for (int i = 0; i < 3; ++i)
        if (buttons[i]->isChecked()) return i;
    return -1;
}

namespace {

// Up and Down move along a row of option buttons as Left and Right do (Qt
// moves only towards a button that lies in the arrow's direction, so in a
// row Up and Down did nothing), wrapping at either end.
class UpDownAlongTheRow : public QObject {
public:
    explicit UpDownAlongTheRow(QButtonGroup* group) : QObject(group), group_(group) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Up && key->key() != Qt::Key_Down) || key->modifiers() != Qt::NoModifier)
            return false;
        const QList<QAbstractButton*> buttons = group_->buttons();
        const qsizetype here = buttons.indexOf(static_cast<QAbstractButton*>(watched));
        if (here < 0) return false;
        const qsizetype step = key->key() == Qt::Key_Down ? 1 : buttons.size() - 1;
        for (qsizetype i = (here + step) % buttons.size(); i != here; i = (i + step) % buttons.size()) {
            QAbstractButton* next = buttons[i];
            if (!next->isEnabled() || next->isHidden()) continue;
            next->setFocus(Qt::TabFocusReason);
            next->click();
            break;
        }
        return true;
    }

private:
    QButtonGroup* group_;
};

}  // namespace

void MakeKeyboardFriendly(QButtonGroup* group) {
    // Only the selected button is a Tab stop; the arrow keys reach the others
    // (Qt moves along a button group and selects as it goes).
    auto update = [group] {
        for (QAbstractButton* b : group->buttons())
            b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, update);
    update();
    auto* upDown = new UpDownAlongTheRow(group);
    for (QAbstractButton* b : group->buttons()) b->installEventFilter(upDown);
}

QButtonGroup* OptionGroup(QWidget* owner, QHBoxLayout* row, const QString& groupName,
                          const std::array<QString, 3>& captions, const std::array<QString, 3>& names,
                          std::array<QRadioButton*, 3>& buttons) {
    auto* group = new QButtonGroup(owner);
    // Room between the buttons for the focus ring around each.
    row->setSpacing(10);
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QRadioButton(captions[i]);
        buttons[i]->setObjectName(names[i]);
        buttons[i]->setAccessibleName(groupName + QStringLiteral("　") + captions[i]);
        group->addButton(buttons[i], i);
        row->addWidget(buttons[i]);
    }
    MakeKeyboardFriendly(group);
    return group;
}

QButtonGroup* CigaretteSizeGroup(QWidget* owner, QHBoxLayout* row, const QString& groupName,
                                 std::array<QRadioButton*, 3>& buttons) {
    return OptionGroup(owner, row, groupName,
                       {QStringLiteral("ショート"), QStringLiteral("スタンダード"), QStringLiteral("ロング")},
                       {QStringLiteral("shortSizeButton"), QStringLiteral("standardSizeButton"),
                        QStringLiteral("longSizeButton")},
                       buttons);
}

}  // namespace kemless

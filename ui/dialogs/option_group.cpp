#include "dialogs/option_group.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

namespace kemless {

int CheckedOption(const std::array<QRadioButton*, 3>& buttons) {
    for (int i = 0; i < 3; ++i)
        if (buttons[i]->isChecked()) return i;
    return -1;
}

void MakeKeyboardFriendly(QButtonGroup* group) {
    // Only the selected button is a Tab stop; the arrow keys reach the others
    // (Qt moves along a button group and selects as it goes).
    auto update = [group] {
        for (QAbstractButton* b : group->buttons())
            b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, update);
    update();
}

QButtonGroup* OptionGroup(QWidget* owner, QHBoxLayout* row, const std::array<QString, 3>& captions,
                          const std::array<QString, 3>& names, std::array<QRadioButton*, 3>& buttons) {
    auto* group = new QButtonGroup(owner);
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QRadioButton(captions[i]);
        buttons[i]->setObjectName(names[i]);
        group->addButton(buttons[i], i);
        row->addWidget(buttons[i]);
    }
    MakeKeyboardFriendly(group);
    return group;
}

QButtonGroup* CigaretteSizeGroup(QWidget* owner, QHBoxLayout* row, std::array<QRadioButton*, 3>& buttons) {
    return OptionGroup(owner, row,
                       {QStringLiteral("ショート"), QStringLiteral("スタンダード"), QStringLiteral("ロング")},
                       {QStringLiteral("shortSizeButton"), QStringLiteral("standardSizeButton"),
                        QStringLiteral("longSizeButton")},
                       buttons);
}

}  // namespace kemless

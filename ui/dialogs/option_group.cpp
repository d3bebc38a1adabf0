#include "dialogs/option_group.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace kemless {

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

}  // namespace kemless

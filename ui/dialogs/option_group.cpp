#include "dialogs/option_group.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace kemless {

void MakeKeyboardFriendly(QButtonGroup* group) { (void)group; }

}  // namespace kemless

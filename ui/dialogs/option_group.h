#pragma once
class QButtonGroup;

namespace kemless {

// A group of option buttons behaves as one stop for the keyboard: Tab lands
// on the selected button, and the arrow keys move the selection.
void MakeKeyboardFriendly(QButtonGroup* group);

}  // namespace kemless

#pragma once
#include <QString>
#include <array>

class QButtonGroup;
class QHBoxLayout;
class QRadioButton;
class QWidget;

namespace kemless {

// Three option buttons added to `row`, named `prefix`_0, _1, _2, in one
// exclusive group that the keyboard treats as one stop.
QButtonGroup* OptionGroup(QWidget* owner, QHBoxLayout* row, const QString& prefix,
                          const std::array<QString, 3>& captions, std::array<QRadioButton*, 3>& buttons);

// Which of the three is selected, or -1 when none is.
int CheckedOption(const std::array<QRadioButton*, 3>& buttons);

// A group of option buttons behaves as one stop for the keyboard: Tab lands
// on the selected button, and the arrow keys move the selection.
void MakeKeyboardFriendly(QButtonGroup* group);

}  // namespace kemless

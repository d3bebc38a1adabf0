#pragma once
#include <QString>
#include <array>

class QButtonGroup;
class QHBoxLayout;
class QRadioButton;
class QWidget;

namespace kemless {

// Three option buttons added to `row` with their captions and object names,
// in one exclusive group that the keyboard treats as one stop. A screen
// reader hears each with the group's name: "サイズ　ショート".
QButtonGroup* OptionGroup(QWidget* owner, QHBoxLayout* row, const QString& groupName,
                          const std::array<QString, 3>& captions, const std::array<QString, 3>& names,
                          std::array<QRadioButton*, 3>& buttons);

// The short, standard and long buttons, in the order of kCigaretteSizes.
QButtonGroup* CigaretteSizeGroup(QWidget* owner, QHBoxLayout* row, const QString& groupName,
                                 std::array<QRadioButton*, 3>& buttons);

// Which of the three is selected, or -1 when none is.
int CheckedOption(const std::array<QRadioButton*, 3>& buttons);

// A group of option buttons behaves as one stop for the keyboard: Tab lands
// on the selected button, and the arrow keys (all four) move the selection.
// Call it once the group holds its buttons.
void MakeKeyboardFriendly(QButtonGroup* group);

}  // namespace kemless

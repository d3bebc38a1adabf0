#pragma once
#include "content/side_windows.h"
#include "dialogs/dialog_window.h"

namespace kemless {

// A window the display windows open beside themselves from their menus (the
// craving helper, the record, the health timeline). It comes up in the
// middle of the screen, smaller where the screen has less room and wholly
// on it; Escape closes it, and Enter presses the button that has the
// keyboard. It records nothing by closing.
// "吸いたくなったら - ケムレス": a side window's caption from its title.
QString SideWindowCaption(const SideWindowName& window);

class SideWindow : public DialogWindow {
    Q_OBJECT
public:
    SideWindow(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    // Kept inside `area` with `frame` around it: made smaller down to what its
    // layout needs, and moved up and left only as far as needed.
    void fitInto(const QRect& area, const QMargins& frame);

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool placed_ = false;
};

}  // namespace kemless

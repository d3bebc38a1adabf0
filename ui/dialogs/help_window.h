#pragma once
#include <QMargins>
#include <QRect>

#include "dialogs/dialog_window.h"

class QPlainTextEdit;

namespace kemless {

// The user guide. One copy at most; it lives until its close box.
class HelpWindow : public DialogWindow {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QPlainTextEdit* textBox() const { return text_; }

    static QString GuideText();

    // Its size, made smaller where the screen has less room: the
    // window with its frame stays inside `area` and the guide scrolls
    // inside it. Moved up and left as far as needed to stay on it.
    void fitInto(const QRect& area, const QMargins& frame);
    static constexpr QSize kDesignedSize{560, 480};

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void fitTextBox();
    void fitToScreen();
    QPlainTextEdit* text_;
};

}  // namespace kemless

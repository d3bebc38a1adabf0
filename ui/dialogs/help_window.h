#pragma once
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

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void fitTextBox();
    QPlainTextEdit* text_;
};

}  // namespace kemless

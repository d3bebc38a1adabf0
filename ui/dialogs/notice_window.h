#pragma once
#include "dialogs/dialog_window.h"

class QPlainTextEdit;
class QPushButton;

namespace kemless {

// The notice of the maker's smartphone site. It stands in for the
// settings dialog, which comes back when the notice closes.
class NoticeWindow : public DialogWindow {
    Q_OBJECT
public:
    explicit NoticeWindow(QWidget* parent = nullptr);
    QPushButton* goButton() const { return go_; }
    QPlainTextEdit* textBox() const { return text_; }

signals:
    void openSiteRequested();

private:
    QPlainTextEdit* text_;
    QPushButton* go_;
};

}  // namespace kemless

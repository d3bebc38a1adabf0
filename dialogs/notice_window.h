#pragma once
#include "dialogs/form_window.h"

class QPlainTextEdit;
class QPushButton;

namespace kemless {

class Session;

// Form8: the notice of the maker's smartphone site. It stands in for the
// settings dialog and brings it back when it closes.
class NoticeWindow : public FormWindow {
    Q_OBJECT
public:
    explicit NoticeWindow(Session& session, QWidget* parent = nullptr);
    QPushButton* goButton() const { return go_; }
    QPlainTextEdit* textBox() const { return text_; }

    static QString SiteAddress();

private:
    Session& session_;
    QPlainTextEdit* text_;
    QPushButton* go_;
};

}  // namespace kemless

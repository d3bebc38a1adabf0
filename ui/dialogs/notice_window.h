#pragma once
#include <QMargins>
#include <QRect>

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

    // With its frame the notice stays inside `area`: the text box gives up
    // room (it scrolls) where the screen is smaller than the design, and
    // the window moves up and left only as far as needed.
    void fitInto(const QRect& area, const QMargins& frame);

    QPushButton* goButton() const { return go_; }
    QPlainTextEdit* textBox() const { return text_; }

signals:
    void openSiteRequested();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void fitTextInto(const QSize& room);

    QSize designedText_;
    QPlainTextEdit* text_;
    QPushButton* go_;
};

}  // namespace kemless

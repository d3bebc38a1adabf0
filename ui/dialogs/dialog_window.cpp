#include "dialogs/dialog_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace kemless {

DialogWindow::DialogWindow(const QString& objectName, const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
}

void DialogWindow::unload() {
    hide();
    deleteLater();
}

void DialogWindow::keyPressEvent(QKeyEvent* e) {
    // Text boxes, buttons, option buttons, the check box and the closed combo
    // box pass Enter and Escape on to their window, so they arrive here from
    // any of them. A combo box's open list is a window of its own and keeps
    // both keys for choosing and closing the list.
    if (isVisible()) {
        const int key = e->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            enter && button && button->isEnabled()) {
            button->click();
            return;
        }
        if (enter_ && enter) {
            enter_();
            return;
        }
        if (escape_ && key == Qt::Key_Escape) {
            escape_();
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

void DialogWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    emit closed();
}

}  // namespace kemless

#include "dialogs/form_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

namespace kemless {

FormWindow::FormWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    qApp->installEventFilter(this);
}

FormWindow::~FormWindow() { qApp->removeEventFilter(this); }

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (enter_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && widget != nullptr &&
            widget->window() == this && isVisible()) {
            enter_();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FormWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    emit closed();
}

}  // namespace kemless

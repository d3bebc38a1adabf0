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

void FormWindow::unload() {
    hide();
    deleteLater();
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys of this window only: a combo box's open list is a window of its
    // own and keeps its Escape.
    if (widget == nullptr || widget->window() != this || !isVisible()) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (enter_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        enter_();
        return true;
    }
    if (escape_ && key == Qt::Key_Escape) {
        escape_();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FormWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    emit closed();
}

}  // namespace kemless

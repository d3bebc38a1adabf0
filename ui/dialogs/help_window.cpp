#include "dialogs/help_window.h"

#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "desktop/artwork.h"

namespace kemless {

QString HelpWindow::GuideText() {
    QFile f(QStringLiteral(":/kemless/help.txt"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("  (?_?) - help"));
    setWindowIcon(artwork::ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("Text1"));
    text_->setReadOnly(true);
    text_->setPlainText(GuideText());
    text_->setAccessibleName(QStringLiteral("ケムレスヘルプ"));
    text_->move(0, 0);
    resize(560, 480);

    fitTextBox();
}

void HelpWindow::fitTextBox() {
    // A minimised window keeps the box as it was; restoring refits it.
    if (windowState() & Qt::WindowMinimized) return;
    text_->setGeometry(0, 0, width(), height());
}

void HelpWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    fitTextBox();
}

void HelpWindow::keyPressEvent(QKeyEvent* e) {
    // Escape closes the guide like its close box; nothing else depends on it.
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void HelpWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) fitTextBox();
}

}  // namespace kemless

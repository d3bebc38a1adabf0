#include "windows/notice_balloon.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include "desktop/placement.h"

namespace kemless {
namespace {

constexpr int kGapPx = 4;
constexpr int kWidestPx = 360;

}  // namespace

NoticeBalloon::NoticeBalloon(QWidget* window, const QString& summary, const QString& body, int shownMs)
    : QFrame(window, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("noticeBalloon"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameShape(QFrame::Box);
    // The colours of a tooltip: what the desktop shows for a passing word.
    setPalette(QToolTip::palette());
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    auto* headline = new QLabel(summary, this);
    headline->setObjectName(QStringLiteral("noticeSummary"));
    QFont bold = headline->font();
    bold.setBold(true);
    headline->setFont(bold);
    auto* sentence = new QLabel(body, this);
    sentence->setObjectName(QStringLiteral("noticeBody"));
    sentence->setWordWrap(true);
    for (QLabel* label : {headline, sentence}) {
        label->setTextFormat(Qt::PlainText);
        label->setMaximumWidth(kWidestPx);
        layout->addWidget(label);
    }
    setAccessibleName(summary);
    setAccessibleDescription(body);
    QTimer::singleShot(shownMs, this, &QWidget::close);
}

void NoticeBalloon::showBeside(QWidget* window) {
    adjustSize();
    const QRect frame = window->frameGeometry();
    const QRect area = AvailableArea(window);
    QPoint corner(frame.right() - width() + 1, frame.top() - height() - kGapPx);
    // No room above the window: inside its top edge instead.
    if (corner.y() < area.top()) corner.setY(window->geometry().top() + kGapPx);
    move(area.isEmpty() ? corner : CornerInside(area, QRect(corner, size())));
    show();
}

void NoticeBalloon::mousePressEvent(QMouseEvent* e) {
    e->accept();
    emit clicked();
    close();
}

}  // namespace kemless

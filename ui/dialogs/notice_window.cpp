#include "dialogs/notice_window.h"

#include <QFile>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/accessibility.h"
#include "desktop/placement.h"

namespace kemless {

NoticeWindow::NoticeWindow(QWidget* parent)
    : DialogWindow(QStringLiteral("noticeWindow"), QStringLiteral(" ヾ(〃^∇^)ﾉ つぎはのんびり卒煙旅行～"),
                   parent) {
    QFile f(QStringLiteral(":/kemless/notice.txt"));
    const QString notice = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    // Said whole when the window comes up.
    DescribeWindow(this, WindowKind::Dialog, QStringLiteral("スマートフォン版のお知らせ"), notice);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    // The decorative frame around the text: a plain widget, which a screen
    // reader passes by (a frame would be taken for a window of its own).
    auto* frame = new QWidget;
    frame->setObjectName(QStringLiteral("noticeFrame"));
    frame->setAttribute(Qt::WA_StyledBackground);
    frame->setStyleSheet(QStringLiteral("#noticeFrame { border: 2px solid #7fb3d5; border-radius: 6px; }"));
    auto* inner = new QVBoxLayout(frame);
    text_ = new QPlainTextEdit;
    text_->setObjectName(QStringLiteral("noticeText"));
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    text_->setAccessibleName(QStringLiteral("お知らせ"));
    text_->setFrameShape(QFrame::NoFrame);
    text_->setPlainText(notice);
    const QFontMetrics fm(text_->font());
    designedText_ = QSize(fm.horizontalAdvance(QStringLiteral("あ")) * 30, fm.lineSpacing() * 11);
    text_->setMinimumSize(designedText_);
    inner->addWidget(text_);
    layout->addWidget(frame);

    go_ = new QPushButton(QStringLiteral("ケムレスどっとこむへＧＯ！"));
    go_->setObjectName(QStringLiteral("goButton"));
    layout->addWidget(go_, 0, Qt::AlignHCenter);
    connect(go_, &QPushButton::clicked, this, &NoticeWindow::openSiteRequested);

    setEscapeAction([this] { close(); });
    // Sized for the screen it will most likely open on before anyone asks
    // for its size; checked again on the real one when shown.
    if (const QRect area = AvailableArea(this); area.isValid())
        fitTextInto(RoomInside(area, FrameOrAssumed(this)));
}

void NoticeWindow::fitTextInto(const QSize& room) {
    // A hidden box tells no layout that its minimum changed: both layouts
    // are told here, so the sizes below are those of the new minimum.
    auto setTextMinimum = [this](const QSize& minimum) {
        text_->setMinimumSize(minimum);
        text_->parentWidget()->layout()->invalidate();
        text_->parentWidget()->updateGeometry();
        layout()->invalidate();
        layout()->activate();
    };
    // What the margins, the frame and the button take around the text.
    setTextMinimum(designedText_);
    const QSize around = layout()->totalMinimumSize() - designedText_;
    const QFontMetrics fm(text_->font());
    const QSize smallest(fm.horizontalAdvance(QStringLiteral("あ")) * 8, fm.lineSpacing() * 3);
    setTextMinimum(designedText_.boundedTo(room - around).expandedTo(smallest));
}

void NoticeWindow::fitInto(const QRect& area, const QMargins& frame) {
    const QSize room = RoomInside(area, frame);
    fitTextInto(room);
    const QSize fitted = size().boundedTo(room).expandedTo(minimumSizeHint());
    if (fitted != size()) resize(fitted);
    const QPoint corner = CornerInside(area, QRect(pos(), size().grownBy(frame)));
    if (corner != pos()) move(corner);
}

void NoticeWindow::showEvent(QShowEvent* e) {
    DialogWindow::showEvent(e);
    // The keyboard starts on the button (the text has been said as the
    // window came up); Tab reaches the text, to read it line by line.
    go_->setFocus(Qt::OtherFocusReason);
    auto fit = [this] {
        if (const QRect area = AvailableArea(this); area.isValid()) fitInto(area, FrameOrAssumed(this));
    };
    fit();
    // Once more when the desktop has framed it.
    AgainOnceFramed(this, fit);
}

}  // namespace kemless

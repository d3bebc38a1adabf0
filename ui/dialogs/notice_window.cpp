#include "dialogs/notice_window.h"

#include <QFile>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>


namespace kemless {

NoticeWindow::NoticeWindow(QWidget* parent) : DialogWindow(parent) {
    setObjectName(QStringLiteral("noticeWindow"));
    setWindowTitle(QStringLiteral(" ヾ(〃^∇^)ﾉ つぎはのんびり卒煙旅行～"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    auto* frame = new QFrame;  // the decorative frame around the text
    frame->setObjectName(QStringLiteral("noticeFrame"));
    frame->setFrameShape(QFrame::Box);
    frame->setStyleSheet(QStringLiteral("#noticeFrame { border: 2px solid #7fb3d5; border-radius: 6px; }"));
    auto* inner = new QVBoxLayout(frame);
    text_ = new QPlainTextEdit;
    text_->setObjectName(QStringLiteral("noticeText"));
    text_->setReadOnly(true);
    text_->setFrameShape(QFrame::NoFrame);
    QFile f(QStringLiteral(":/kemless/notice.txt"));
    if (f.open(QIODevice::ReadOnly)) text_->setPlainText(QString::fromUtf8(f.readAll()));
    const QFontMetrics fm(text_->font());
    text_->setMinimumSize(fm.horizontalAdvance(QStringLiteral("あ")) * 30, fm.lineSpacing() * 11);
    inner->addWidget(text_);
    layout->addWidget(frame);

    go_ = new QPushButton(QStringLiteral("ケムレスどっとこむへＧＯ！"));
    go_->setObjectName(QStringLiteral("goButton"));
    layout->addWidget(go_, 0, Qt::AlignHCenter);
    connect(go_, &QPushButton::clicked, this, &NoticeWindow::openSiteRequested);
    setEscapeAction([this] { close(); });
}

}  // namespace kemless

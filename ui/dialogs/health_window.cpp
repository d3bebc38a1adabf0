#include "dialogs/health_window.h"

#include <QAccessible>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "desktop/accessibility.h"

namespace kemless {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

HealthWindow::HealthWindow(QWidget* parent)
    : SideWindow(QStringLiteral("healthWindow"), SideWindowCaption(kHealthWindow), parent) {
    DescribeWindow(this, WindowKind::Window, QString::fromUtf8(kHealthWindow.title));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summaryLabel"));
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setFocusPolicy(Qt::TabFocus);
    MakeSpoken(summary_, QAccessible::StaticText);

    rows_ = new QWidget;
    rows_->setObjectName(QStringLiteral("healthSteps"));
    auto* grid = new QGridLayout(rows_);
    grid->setColumnStretch(1, 1);
    grid->setVerticalSpacing(6);
    bar_ = new QProgressBar(rows_);
    bar_->setObjectName(QStringLiteral("nextStepBar"));
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    bar_->setMaximumHeight(10);
    // A stop of its own after the next step, heard by its name and how far along.
    bar_->setFocusPolicy(Qt::TabFocus);
    bar_->hide();

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("healthScroll"));
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(rows_);
    // The keyboard goes through the steps themselves.
    scroll_->setFocusPolicy(Qt::NoFocus);

    source_ = new QLabel(QString::fromUtf8(kHealthSource), this);
    source_->setObjectName(QStringLiteral("sourceLabel"));
    source_->setTextFormat(Qt::PlainText);
    source_->setWordWrap(true);
    source_->setFocusPolicy(Qt::TabFocus);

    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAutoDefault(false);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(source_, 1);
    bottom->addWidget(closeButton, 0, Qt::AlignBottom);

    auto* column = new QVBoxLayout(this);
    column->addWidget(summary_);
    column->addWidget(scroll_, 1);
    column->addLayout(bottom);
    resize(600, 480);
}

void HealthWindow::buildRows(int count) {
    auto* grid = static_cast<QGridLayout*>(rows_->layout());
    for (int i = int(steps_.size()); i < count; ++i) {
        auto* mark = new QLabel(rows_);
        mark->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        // The step says whether it is reached.
        MarkDecorative(mark);
        auto* step = new QLabel(rows_);
        step->setObjectName(QStringLiteral("healthStep%1").arg(i));
        step->setTextFormat(Qt::PlainText);
        step->setWordWrap(true);
        step->setFocusPolicy(Qt::TabFocus);
        MakeSpoken(step, QAccessible::StaticText);
        grid->addWidget(mark, i * 2, 0);
        grid->addWidget(step, i * 2, 1);
        // Read in order: the summary, the steps, the source.
        setTabOrder(i == 0 ? summary_ : steps_.last(), step);
        setTabOrder(step, source_);
        marks_ << mark;
        steps_ << step;
    }
}

void HealthWindow::render(const HealthTimeline& timeline) {
    buildRows(int(timeline.steps.size()));
    summary_->setText(Q(timeline.summary));
    SetSpokenName(summary_, summary_->text());
    auto* grid = static_cast<QGridLayout*>(rows_->layout());
    int next = -1;
    for (int i = 0; i < int(timeline.steps.size()); ++i) {
        const HealthStep& s = timeline.steps[i];
        const QString text = Q(s.when) + QStringLiteral("　") + Q(s.change) + QLatin1Char('\n') + Q(s.status);
        if (steps_[i]->text() != text) steps_[i]->setText(text);
        SetSpokenName(steps_[i], Q(s.spoken));
        // Reached: a filled mark in green; ahead: an open one.
        marks_[i]->setText(s.reached ? QStringLiteral("●") : QStringLiteral("○"));
        marks_[i]->setStyleSheet(s.reached ? QStringLiteral("color: #3a9d7c;") : QString());
        if (s.next) next = i;
    }
    if (next != nextIndex_) {
        grid->removeWidget(bar_);
        if (next >= 0) {
            grid->addWidget(bar_, next * 2 + 1, 1);
            // Read after the step it leads to.
            setTabOrder(steps_[next], bar_);
        }
        nextIndex_ = next;
    }
    bar_->setVisible(next >= 0);
    if (next >= 0) {
        const HealthStep& s = timeline.steps[next];
        bar_->setValue(s.permille);
        bar_->setAccessibleName(QStringLiteral("「") + Q(s.when) + QStringLiteral("」までの道のり"));
    }
}

void HealthWindow::showEvent(QShowEvent* e) {
    SideWindow::showEvent(e);
    // The next step in view, once the rows are laid out.
    QTimer::singleShot(0, this, [this] {
        if (nextIndex_ >= 0) scroll_->ensureWidgetVisible(steps_[nextIndex_], 0, 40);
    });
}

}  // namespace kemless

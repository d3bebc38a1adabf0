#include "dialogs/record_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/urge_chart.h"

namespace kemless {
namespace {

constexpr int kLines = 5;

}  // namespace

RecordWindow::RecordWindow(QWidget* parent)
    : SideWindow(QStringLiteral("recordWindow"), QStringLiteral("これまでの記録 - ケムレス"), parent) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    for (int i = 0; i < kLines; ++i) {
        auto* heading = new QLabel(this);
        heading->setTextFormat(Qt::PlainText);
        auto* value = new QLabel(this);
        value->setObjectName(QStringLiteral("recordValue%1").arg(i));
        value->setTextFormat(Qt::PlainText);
        value->setFocusPolicy(Qt::TabFocus);
        value->setStyleSheet(QString::fromLatin1(kFocusFrame) +
                             QStringLiteral("QLabel { font-weight: bold; }"));
        heading->setBuddy(value);
        grid->addWidget(heading, i, 0);
        grid->addWidget(value, i, 1);
        headings_ << heading;
        lines_ << value;
    }
    grid->setColumnStretch(1, 1);

    chartHeading_ = new QLabel(this);
    chartHeading_->setObjectName(QStringLiteral("chartHeading"));
    chart_ = new UrgeChart(this);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("noteLabel"));
    note_->setWordWrap(true);
    note_->setTextFormat(Qt::PlainText);

    auto* craving = new QPushButton(QStringLiteral("吸いたくなったら"), this);
    craving->setObjectName(QStringLiteral("cravingButton"));
    craving->setAutoDefault(false);
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(craving);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    connect(craving, &QPushButton::clicked, this, &RecordWindow::cravingRequested);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addSpacing(6);
    column->addWidget(chartHeading_);
    column->addWidget(chart_, 1);
    column->addWidget(note_);
    column->addLayout(buttons);
    resize(480, 340);
}

QPushButton* RecordWindow::button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void RecordWindow::render(const RecordView& view) {
    for (int i = 0; i < kLines && i < int(view.lines.size()); ++i) {
        const QString heading = QString::fromStdString(view.lines[i].heading);
        const QString value = QString::fromStdString(view.lines[i].value);
        headings_[i]->setText(heading);
        lines_[i]->setText(value);
        // Heard with its heading.
        lines_[i]->setAccessibleName(heading + QStringLiteral("　") + value);
    }
    chartHeading_->setText(QString::fromStdString(view.chartHeading));
    chart_->setChart(view);
    note_->setText(QString::fromStdString(view.note));
    note_->setVisible(!view.note.empty());
}

}  // namespace kemless

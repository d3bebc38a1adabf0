#include "dialogs/record_window.h"

#include <QAccessible>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/accessibility.h"
#include "desktop/focus_ring.h"
#include "dialogs/hour_strip.h"
#include "dialogs/urge_chart.h"

namespace kemless {
namespace {

constexpr int kLines = 5;

}  // namespace

RecordWindow::RecordWindow(QWidget* parent)
    : SideWindow(QStringLiteral("recordWindow"), SideWindowCaption(kRecordWindow), parent) {
    DescribeWindow(this, WindowKind::Window, QString::fromUtf8(kRecordWindow.title));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    for (int i = 0; i < kLines; ++i) {
        auto* heading = new QLabel(this);
        heading->setTextFormat(Qt::PlainText);
        auto* value = new QLabel(this);
        value->setObjectName(QStringLiteral("recordValue%1").arg(i));
        value->setTextFormat(Qt::PlainText);
        value->setFocusPolicy(Qt::TabFocus);
        value->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; }"));
        // One stop for the keyboard and one mark, heard as "heading　value".
        MakeSpoken(value, QAccessible::StaticText);
        MarkDecorative(heading);
        RingAlsoAround(value, heading);
        grid->addWidget(heading, i, 0);
        grid->addWidget(value, i, 1);
        headings_ << heading;
        lines_ << value;
    }
    grid->setColumnStretch(1, 1);

    chartHeading_ = new QLabel(this);
    chartHeading_->setObjectName(QStringLiteral("chartHeading"));
    chart_ = new UrgeChart(this);
    // The chart says its heading with its words.
    MarkDecorative(chartHeading_);
    RingAlsoAround(chart_, chartHeading_);
    // The hard moments: when the urges came, beside the chart of days, and
    // what brought them on under both.
    hoursHeading_ = new QLabel(this);
    hoursHeading_->setObjectName(QStringLiteral("hoursHeading"));
    hours_ = new HourStrip(this);
    MarkDecorative(hoursHeading_);
    RingAlsoAround(hours_, hoursHeading_);
    triggersHeading_ = new QLabel(this);
    triggersHeading_->setObjectName(QStringLiteral("triggersHeading"));
    triggers_ = new QLabel(this);
    triggers_->setObjectName(QStringLiteral("triggersLabel"));
    triggers_->setWordWrap(true);
    triggers_->setTextFormat(Qt::PlainText);
    triggers_->setFocusPolicy(Qt::TabFocus);
    MakeSpoken(triggers_, QAccessible::StaticText);
    MarkDecorative(triggersHeading_);
    RingAlsoAround(triggers_, triggersHeading_);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("noteLabel"));
    note_->setWordWrap(true);
    note_->setTextFormat(Qt::PlainText);
    note_->setFocusPolicy(Qt::TabFocus);
    MakeSpoken(note_, QAccessible::StaticText);

    auto* craving = new QPushButton(QString::fromUtf8(kCravingWindow.title), this);
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
    auto* charts = new QGridLayout;
    charts->addWidget(chartHeading_, 0, 0);
    charts->addWidget(chart_, 1, 0);
    charts->addWidget(hoursHeading_, 0, 1);
    charts->addWidget(hours_, 1, 1);
    charts->setColumnStretch(0, 3);
    charts->setColumnStretch(1, 2);
    charts->setRowStretch(1, 1);
    column->addLayout(charts, 1);
    column->addWidget(triggersHeading_);
    column->addWidget(triggers_);
    column->addWidget(note_);
    column->addLayout(buttons);
    resize(640, 400);
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
        SetSpokenName(lines_[i], heading + QStringLiteral("　") + value);
    }
    chartHeading_->setText(QString::fromStdString(view.chartHeading));
    chart_->setChart(view);
    note_->setText(QString::fromStdString(view.note));
    SetSpokenName(note_, note_->text());
    note_->setVisible(!view.note.empty());
}

void RecordWindow::showHardMoments(const HardMoments& moments) {
    triggersHeading_->setText(QString::fromStdString(moments.triggersHeading));
    triggers_->setText(QString::fromStdString(moments.triggerWords));
    SetSpokenName(triggers_, triggersHeading_->text() + QStringLiteral("　") + triggers_->text());
    hoursHeading_->setText(QString::fromStdString(moments.hoursHeading));
    hours_->setStrip(moments);
}

}  // namespace kemless

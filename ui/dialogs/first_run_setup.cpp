#include "dialogs/first_run_setup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/accessibility.h"
#include "desktop/desktop.h"
#include "dialogs/option_group.h"
#include "forms/input_rules.h"

namespace kemless {

FirstRunSetup::FirstRunSetup(Desktop& desktop, QWidget* parent)
    : DialogWindow(QStringLiteral("firstRunSetup"), QStringLiteral(" ケムレス初期設定 - lunapo"), parent),
      desktop_(desktop) {
    const QString heading = QStringLiteral("初期値を設定してください");
    DescribeWindow(this, WindowKind::Dialog, QStringLiteral("ケムレス初期設定"), heading);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(4);
    auto* headingLabel = new QLabel(heading);
    QFont big = headingLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.25);
    big.setBold(true);
    headingLabel->setFont(big);
    layout->addWidget(headingLabel);
    layout->addSpacing(8);

    auto addBox = [&](const QString& label, const QString& hint, int maxLength, const QString& name) {
        auto* l = new QLabel(label);
        layout->addWidget(l);
        layout->addWidget(new QLabel(hint));
        auto* box = new QLineEdit;
        box->setObjectName(name);
        box->setMaxLength(maxLength);
        box->setAccessibleName(label);
        // Said after the box's value, as the label above it shows it.
        box->setAccessibleDescription(hint);
        l->setBuddy(box);
        layout->addWidget(box);
        layout->addSpacing(6);
        return box;
    };
    perDay_ = addBox(QStringLiteral("一日あたりに吸っているタバコの本数"),
                     QStringLiteral("（１から２００までの半角数字で記入）"), 3, QStringLiteral("perDayBox"));
    price_ = addBox(QStringLiteral("一箱（２０本）あたりのタバコの金額"),
                    QStringLiteral("（１から２０００の半角数字で記入）"), 4, QStringLiteral("priceBox"));

    const QString sizeLabel = QStringLiteral("あなたの吸っているタバコのサイズ");
    layout->addWidget(new QLabel(sizeLabel));
    auto* sizeRow = new QHBoxLayout;
    CigaretteSizeGroup(this, sizeRow, sizeLabel, sizes_);
    sizes_[1]->setChecked(true);
    sizeRow->addStretch();
    layout->addLayout(sizeRow);
    layout->addSpacing(10);

    confirm_ = new QPushButton(QStringLiteral("設定する"));
    confirm_->setObjectName(QStringLiteral("confirmButton"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(confirm_);
    layout->addLayout(buttonRow);

    connect(confirm_, &QPushButton::clicked, this, &FirstRunSetup::confirm);
    setEnterAction([this] { confirm(); });
    // Escape does what the close box does, as in every other dialog.
    setEscapeAction([this] { close(); });
    setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
}

void FirstRunSetup::confirm() {
    const auto values = CheckSetupInput(perDay_->text().toStdString(), price_->text().toStdString());
    if (!values) {
        desktop_.message(this, QStringLiteral("有効範囲内にある半角数字を入れてください"));
        return;
    }
    const int size = CheckedOption(sizes_);
    emit confirmed(values->first, values->second, size >= 0 ? kCigaretteSizes[size] : kStandard);
}

}  // namespace kemless

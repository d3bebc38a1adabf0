#include "dialogs/settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/clock.h"
#include "app/desktop.h"
#include "app/session.h"
#include "content/status_titles.h"
#include "dialogs/core/input_rules.h"
#include "dialogs/notice_window.h"
#include "windows/artwork.h"
#include "windows/twips.h"

namespace kemless {
namespace {

const char* const kRangeMessage = "有効範囲内にある半角数字を入れてください";
const char* const kFutureMessage = "現在より未来の日時は設定できません";

QLineEdit* Box(const QString& name, int maxLength, int widthChars, const QString& spoken) {
    auto* box = new QLineEdit;
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    box->setAccessibleName(spoken);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (widthChars + 1) + 14);
    return box;
}

std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

SettingsDialog::SettingsDialog(Session& session, QWidget* parent) : FormWindow(parent), session_(session) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral(" 設定ウィンドウ - 全て半角で記入してください - lunapo"));
    setWindowIcon(artwork::ProgramIcon());
    buildControls();
    fill();
    setEnterAction([this] { save(); });
    setFixedSize(sizeHint());
    const OptionSettings& o = session_.options();
    move(Px(o.mainLeft), Px(o.mainTop));
}

void SettingsDialog::buildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 10, 12, 10);
    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);

    // Left: the quit profile.
    auto* profile = new QGroupBox(QStringLiteral("卒煙の記録"));
    auto* grid = new QGridLayout(profile);
    grid->addWidget(new QLabel(QStringLiteral("卒煙日")), 0, 0, 1, 4);
    const QString units[5] = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日"), QStringLiteral("時"),
                              QStringLiteral("分")};
    auto* dateRow = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        quit_[i] = Box(QStringLiteral("Text1_%1").arg(i), i == 0 ? 4 : 2, i == 0 ? 4 : 2,
                       QStringLiteral("卒煙日の") + units[i]);
        dateRow->addWidget(quit_[i]);
        dateRow->addWidget(new QLabel(units[i]));
    }
    dateRow->addStretch();
    grid->addLayout(dateRow, 1, 0, 1, 4);

    perDay_ = Box(QStringLiteral("Text2"), 3, 3, QStringLiteral("一日あたりの本数"));
    price_ = Box(QStringLiteral("Text3"), 4, 4, QStringLiteral("一箱（２０本）の金額"));
    tax_ = Box(QStringLiteral("Text5"), 5, 5, QStringLiteral("税率（％）"));
    auto addRow = [grid](int row, const QString& label, QLineEdit* box, const QString& unit) {
        auto* l = new QLabel(label);
        l->setBuddy(box);
        grid->addWidget(l, row, 0);
        grid->addWidget(box, row, 1);
        if (!unit.isEmpty()) grid->addWidget(new QLabel(unit), row, 2);
    };
    addRow(2, QStringLiteral("一日あたりの本数"), perDay_, QStringLiteral("本"));
    addRow(3, QStringLiteral("一箱（２０本）の金額"), price_, QStringLiteral("円"));
    grid->addWidget(new QLabel(QStringLiteral("サイズ")), 4, 0);
    auto* sizeRow = new QHBoxLayout;
    auto* sizeGroup = new QButtonGroup(this);
    const QString sizeCaptions[3] = {QStringLiteral("ショート"), QStringLiteral("スタンダード"), QStringLiteral("ロング")};
    for (int i = 0; i < 3; ++i) {
        sizes_[i] = new QRadioButton(sizeCaptions[i]);
        sizes_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        sizeGroup->addButton(sizes_[i], i);
        sizeRow->addWidget(sizes_[i]);
    }
    grid->addLayout(sizeRow, 4, 1, 1, 3);
    addRow(5, QStringLiteral("税率（％）"), tax_, QString());
    grid->setColumnStretch(3, 1);
    columns->addWidget(profile);

    // Right: display and copy options.
    auto* display = new QGroupBox(QStringLiteral("表示とコピー"));
    auto* right = new QVBoxLayout(display);
    auto* statusLabel = new QLabel(QStringLiteral("ステータスの選択"));
    status_ = new QComboBox;
    status_->setObjectName(QStringLiteral("Combo1"));
    status_->setAccessibleName(QStringLiteral("ステータスの選択"));
    for (const char* mode : kStatusModes) status_->addItem(QString::fromUtf8(mode));
    statusLabel->setBuddy(status_);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(statusLabel);
    statusRow->addWidget(status_);
    statusRow->addStretch();
    right->addLayout(statusRow);

    auto* colorRow = new QHBoxLayout;
    auto* textColor = new QPushButton(QStringLiteral("テキストの色"));
    textColor->setObjectName(QStringLiteral("Command3"));
    auto* backColor = new QPushButton(QStringLiteral("背景の色"));
    backColor->setObjectName(QStringLiteral("Command4"));
    sample_ = new QLabel(QStringLiteral("サンプル色"));
    sample_->setObjectName(QStringLiteral("Label2"));
    sample_->setAutoFillBackground(true);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumWidth(sample_->sizeHint().width() + 16);
    colorRow->addWidget(textColor);
    colorRow->addWidget(backColor);
    colorRow->addWidget(sample_);
    right->addLayout(colorRow);
    connect(textColor, &QPushButton::clicked, this, &SettingsDialog::chooseTextColor);
    connect(backColor, &QPushButton::clicked, this, &SettingsDialog::chooseBackColor);

    boxCount_ = new QCheckBox(QStringLiteral("箱数表示"));
    boxCount_->setObjectName(QStringLiteral("Check2"));
    right->addWidget(boxCount_);

    auto* frame = new QGroupBox(QStringLiteral("copy+"));
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* copyRow = new QHBoxLayout(frame);
    auto* copyGroup = new QButtonGroup(this);
    const QString copyCaptions[3] = {QStringLiteral("OFF"), QStringLiteral("ON"), QStringLiteral("ON+喫煙年数→")};
    for (int i = 0; i < 3; ++i) {
        copyPlus_[i] = new QRadioButton(copyCaptions[i]);
        copyPlus_[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        copyGroup->addButton(copyPlus_[i], i);
        copyRow->addWidget(copyPlus_[i]);
    }
    smokingYears_ = Box(QStringLiteral("Text7"), 2, 2, QStringLiteral("喫煙年数"));
    copyRow->addWidget(smokingYears_);
    copyRow->addWidget(new QLabel(QStringLiteral("年")));
    copyRow->addStretch();
    connect(copyGroup, &QButtonGroup::idClicked, this,
            [this](int id) { smokingYears_->setEnabled(id == 2); });
    right->addWidget(frame);
    right->addStretch();
    columns->addWidget(display);

    // The link address across the bottom.
    auto* linkLabel = new QLabel(QStringLiteral("あなたのブログや掲示板のアドレス"));
    outer->addWidget(linkLabel);
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(new QLabel(QStringLiteral("http://")));
    link_ = new QLineEdit;
    link_->setObjectName(QStringLiteral("Text4"));
    link_->setMaxLength(256);
    link_->setAccessibleName(QStringLiteral("あなたのブログや掲示板のアドレス"));
    linkLabel->setBuddy(link_);
    linkRow->addWidget(link_);
    outer->addLayout(linkRow);

    auto* buttons = new QHBoxLayout;
    auto* site = new QPushButton(QStringLiteral("ケムレス.com"));
    site->setObjectName(QStringLiteral("Command5"));
    auto* help = new QPushButton(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("Command6"));
    auto* saveButton = new QPushButton(QStringLiteral("設定を保存"));
    saveButton->setObjectName(QStringLiteral("Command1"));
    auto* cancelButton = new QPushButton(QStringLiteral("キャンセル"));
    cancelButton->setObjectName(QStringLiteral("Command2"));
    buttons->addWidget(site);
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    outer->addLayout(buttons);
    connect(site, &QPushButton::clicked, this, &SettingsDialog::openNotice);
    connect(help, &QPushButton::clicked, &session_, &Session::showHelp);
    connect(saveButton, &QPushButton::clicked, this, &SettingsDialog::save);
    connect(cancelButton, &QPushButton::clicked, this, &SettingsDialog::cancel);
}

void SettingsDialog::fill() {
    const InitialSettings& in = session_.initial();
    const OptionSettings& o = session_.options();
    const int32_t quit[5] = {in.quitYear, in.quitMonth, in.quitDay, in.quitHour, in.quitMinute};
    for (int i = 0; i < 5; ++i) quit_[i]->setText(QString::number(quit[i]));
    perDay_->setText(QString::number(in.cigarettesPerDay));
    price_->setText(QString::number(in.packPrice));
    // Any other stored size leaves the standard size selected.
    sizes_[in.cigaretteSize == kShort ? 0 : in.cigaretteSize == kLong ? 2 : 1]->setChecked(true);
    if (o.copyPlusMode >= 0 && o.copyPlusMode <= 2) copyPlus_[o.copyPlusMode]->setChecked(true);
    smokingYears_->setEnabled(o.copyPlusMode == 2);
    tax_->setText(QString::number(o.taxRatePercent));
    smokingYears_->setText(QString::number(o.smokingYears));
    boxCount_->setChecked(o.showBoxCount == 1);
    link_->setText(QString::fromStdString(o.linkUrl));
    // The list offers exactly the four modes; a stored text that is none of
    // them shows no selection and is kept until another one is chosen.
    status_->setCurrentIndex(status_->findText(QString::fromStdString(o.statusMode)));
    updateSample();
}

void SettingsDialog::updateSample() {
    const OptionSettings& o = session_.options();
    QPalette pal = sample_->palette();
    pal.setColor(QPalette::Window, ColorFromBgr(o.backColor));
    pal.setColor(QPalette::WindowText, ColorFromBgr(o.foreColor));
    sample_->setPalette(pal);
}

void SettingsDialog::chooseTextColor() {
    OptionSettings& o = session_.options();
    if (auto c = session_.desktop().chooseColor(ColorFromBgr(o.foreColor), this)) {
        o.foreColor = BgrFromColor(*c);
        updateSample();
    }
}

void SettingsDialog::chooseBackColor() {
    OptionSettings& o = session_.options();
    if (auto c = session_.desktop().chooseColor(ColorFromBgr(o.backColor), this)) {
        o.backColor = BgrFromColor(*c);
        updateSample();
    }
}

void SettingsDialog::save() {
    SettingsForm form;
    form.profile = {Text(quit_[0]), Text(quit_[1]), Text(quit_[2]), Text(quit_[3]), Text(quit_[4]), Text(perDay_),
                    Text(price_)};
    const int32_t sizes[3] = {kShort, kStandard, kLong};
    for (int i = 0; i < 3; ++i)
        if (sizes_[i]->isChecked()) form.cigaretteSize = sizes[i];
    form.linkUrl = Text(link_);
    for (int i = 0; i < 3; ++i)
        if (copyPlus_[i]->isChecked()) form.copyPlusMode = i;
    form.showBoxCount = boxCount_->isChecked() ? 1 : 0;
    form.statusMode = status_->currentIndex() >= 0 ? status_->currentText().toStdString()
                                                   : session_.options().statusMode;
    form.taxRate = Text(tax_);
    form.smokingYears = Text(smokingYears_);

    const SaveOutcome outcome = ApplySettingsForm(form, session_.clock().now(), session_.initial(),
                                                  session_.options(),
                                                  [this] { session_.store().writeInitial(session_.initial()); });
    switch (outcome) {
        case SaveOutcome::RangeError:
        case SaveOutcome::OptionError:
            session_.desktop().message(this, QString::fromUtf8(kRangeMessage));
            return;
        case SaveOutcome::FutureError:
            session_.desktop().message(this, QString::fromUtf8(kFutureMessage));
            return;
        case SaveOutcome::Saved:
            break;
    }
    // The main window opens where the dialog stood.
    const Corner c = Session::CornerOf(this);
    session_.options().mainLeft = c.left;
    session_.options().mainTop = c.top;
    session_.store().ensureDataFolder();
    session_.store().writeInitial(session_.initial());
    session_.store().writeOption(session_.options());
    session_.openDisplayWindowByMode();
    hide();
    deleteLater();
}

void SettingsDialog::cancel() {
    session_.openDisplayWindowByMode();
    hide();
    deleteLater();
}

void SettingsDialog::openNotice() {
    auto* notice = new NoticeWindow(session_);
    notice->show();
    hide();
    deleteLater();
}

}  // namespace kemless

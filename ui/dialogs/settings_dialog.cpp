#include "dialogs/settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "content/status_titles.h"
#include "desktop/accessibility.h"
#include "desktop/colors.h"
#include "desktop/desktop.h"
#include "desktop/placement.h"
#include "dialogs/notice_window.h"
#include "dialogs/option_group.h"
#include "forms/color_words.h"
#include "forms/input_rules.h"
#include "records/clock.h"

namespace kemless {
namespace {

const char* const kRangeMessage = "有効範囲内にある半角数字を入れてください";
const char* const kFutureMessage = "現在より未来の日時は設定できません";

// A box with its name for a screen reader and what it takes, which a
// screen reader says after its value and the mouse shows as a tip.
QLineEdit* Box(const QString& name, int maxLength, const QString& spoken, const QString& hint) {
    auto* box = new QLineEdit;
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    box->setAccessibleName(spoken);
    box->setAccessibleDescription(hint);
    box->setToolTip(hint);
    // Wide enough for its longest entry and no wider, so the dialog stays
    // small enough for a small screen at a large scale.
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (maxLength + 1) + 12);
    return box;
}

QPushButton* Button(const QString& caption, const char* name) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// Room between the controls of a row for the focus ring around each.
constexpr int kRowSpacing = 6;

// A row of widgets and texts, packed to the left.
QHBoxLayout* Row(std::initializer_list<QObject*> items) {
    auto* row = new QHBoxLayout;
    row->setSpacing(kRowSpacing);
    for (QObject* item : items) {
        if (auto* w = qobject_cast<QWidget*>(item))
            row->addWidget(w);
        else if (auto* l = qobject_cast<QLayout*>(item))
            row->addLayout(l);
    }
    row->addStretch();
    return row;
}

QLabel* Text(const QString& text, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text);
    if (buddy != nullptr) l->setBuddy(buddy);
    return l;
}

QFrame* Separator() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    MarkDecorative(line);
    return line;
}

QString Hint(FieldRange range) { return QString::fromStdString(RangeHint(range)); }

std::string TextOf(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

SettingsDialog::SettingsDialog(Clock& clock, Desktop& desktop, const InitialSettings& initial,
                               const OptionSettings& options, QWidget* parent)
    : DialogWindow(QStringLiteral("settingsDialog"),
                   QStringLiteral(" 設定ウィンドウ - 全て半角で記入してください - lunapo"), parent),
      clock_(clock),
      desktop_(desktop),
      initial_(initial),
      options_(options) {
    DescribeWindow(this, WindowKind::Dialog, QStringLiteral("設定ウィンドウ"),
                   QStringLiteral("全て半角で記入してください"));
    buildControls();
    fill();
    setEnterAction([this] { save(); });
    setEscapeAction([this] { cancel(); });
    // The close box ends it too, with what it holds.
    connect(this, &DialogWindow::closed, this, [this] { finish(SettingsResult::Ending::Closed); });
    setFixedSize(sizeHint());
}

void SettingsDialog::openAt(const WindowPlacer& placer, Corner corner) {
    placer_ = &placer;
    corner_ = corner;
    placeHere(this);
    show();
}

void SettingsDialog::placeHere(QWidget* window) const {
    if (placer_ != nullptr) placer_->placeAtCorner(window, corner_);
}

QWidget* SettingsDialog::inView() {
    if (notice_ != nullptr && notice_->isVisible()) return notice_;
    return DialogWindow::inView();
}

void SettingsDialog::showNotice() {
    if (notice_ == nullptr) {
        notice_ = new NoticeWindow(this);
        connect(notice_, &NoticeWindow::openSiteRequested, this, [this] { emit siteRequested(notice_); });
        // Closing it always brings the dialog back, also after a failed launch.
        connect(notice_, &DialogWindow::closed, this, [this] {
            notice_ = nullptr;
            placeHere(this);
            show();
        });
    }
    placeHere(notice_);
    notice_->show();
    hide();
}

void SettingsDialog::finish(SettingsResult::Ending ending) {
    emit finished({ending, initial_, options_, profileTaken_});
}

void SettingsDialog::buildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setSpacing(5);

    // The quit profile, in the order it is read and typed.
    const QString units[5] = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日"),
                              QStringLiteral("時"), QStringLiteral("分")};
    const QString names[5] = {QStringLiteral("quitYearBox"), QStringLiteral("quitMonthBox"),
                              QStringLiteral("quitDayBox"), QStringLiteral("quitHourBox"),
                              QStringLiteral("quitMinuteBox")};
    const FieldRange ranges[5] = {QuitYearRange(clock_.now()), kMonthRange, kDayRange, kHourRange,
                                  kMinuteRange};
    auto* date = new QHBoxLayout;
    date->setSpacing(kRowSpacing);
    for (int i = 0; i < 5; ++i) {
        quit_[i] = Box(names[i], i == 0 ? 4 : 2, QStringLiteral("卒煙日の") + units[i], Hint(ranges[i]));
        date->addWidget(quit_[i]);
        date->addWidget(new QLabel(units[i]));
    }
    // The year is heard by its own name, "卒煙日の年", not as the row's label.
    outer->addLayout(Row({Text(QStringLiteral("卒煙日")), date}));

    perDay_ = Box(QStringLiteral("perDayBox"), 3, QStringLiteral("一日あたりの本数"), Hint(kPerDayRange));
    price_ =
        Box(QStringLiteral("priceBox"), 4, QStringLiteral("一箱（２０本）の金額"), Hint(kPackPriceRange));
    outer->addLayout(
        Row({Text(QStringLiteral("一日あたりの本数"), perDay_), perDay_, Text(QStringLiteral("本")),
             Text(QStringLiteral("　一箱（２０本）の金額"), price_), price_, Text(QStringLiteral("円"))}));

    auto* sizeRow = new QHBoxLayout;
    CigaretteSizeGroup(this, sizeRow, QStringLiteral("サイズ"), sizes_);
    outer->addLayout(Row({Text(QStringLiteral("サイズ")), sizeRow}));

    tax_ = Box(QStringLiteral("taxRateBox"), 5, QStringLiteral("税率（％）"), Hint(kTaxRateRange));
    status_ = new QComboBox;
    status_->setObjectName(QStringLiteral("statusModeList"));
    status_->setAccessibleName(QStringLiteral("ステータスの選択"));
    for (const char* mode : kStatusModes) status_->addItem(QString::fromUtf8(mode));
    outer->addLayout(Row({Text(QStringLiteral("税率（％）"), tax_), tax_,
                          Text(QStringLiteral("　ステータスの選択"), status_), status_}));

    outer->addWidget(Separator());

    // How the figures look and what the long copy adds.
    textColor_ = Button(QStringLiteral("テキストの色"), "textColorButton");
    backColor_ = Button(QStringLiteral("背景の色"), "backColorButton");
    sample_ = new QLabel(QStringLiteral("サンプル色"));
    sample_->setObjectName(QStringLiteral("colorSample"));
    sample_->setAutoFillBackground(true);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumWidth(sample_->sizeHint().width() + 12);
    boxCount_ = new QCheckBox(QStringLiteral("箱数表示"));
    boxCount_->setObjectName(QStringLiteral("boxCountCheck"));
    outer->addLayout(Row({textColor_, backColor_, sample_, boxCount_}));
    connect(textColor_, &QPushButton::clicked, this, &SettingsDialog::chooseTextColor);
    connect(backColor_, &QPushButton::clicked, this, &SettingsDialog::chooseBackColor);

    auto* copyRow = new QHBoxLayout;
    QButtonGroup* copyGroup =
        OptionGroup(this, copyRow, QStringLiteral("copy+"),
                    {QStringLiteral("OFF"), QStringLiteral("ON"), QStringLiteral("ON+喫煙年数→")},
                    {QStringLiteral("copyPlusOffButton"), QStringLiteral("copyPlusOnButton"),
                     QStringLiteral("copyPlusYearsButton")},
                    copyPlus_);
    smokingYears_ =
        Box(QStringLiteral("smokingYearsBox"), 2, QStringLiteral("喫煙年数"), Hint(kSmokingYearsRange));
    auto* copyPlusTitle = new QLabel(QStringLiteral("copy+"));
    copyPlusTitle->setObjectName(QStringLiteral("copyPlusTitle"));
    outer->addLayout(Row({copyPlusTitle, copyRow, smokingYears_, Text(QStringLiteral("年"))}));
    // Arrow keys select as they move, so the box follows the selection too.
    connect(copyGroup, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) smokingYears_->setEnabled(id == 2);
    });

    link_ = new QLineEdit;
    link_->setObjectName(QStringLiteral("linkBox"));
    link_->setMaxLength(256);
    link_->setAccessibleName(QStringLiteral("あなたのブログや掲示板のアドレス"));
    link_->setAccessibleDescription(QStringLiteral("（http:// に続けて半角で記入）"));
    outer->addWidget(Text(QStringLiteral("あなたのブログや掲示板のアドレス"), link_));
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(new QLabel(QStringLiteral("http://")));
    linkRow->addWidget(link_);
    outer->addLayout(linkRow);

    auto* site = Button(QStringLiteral("ケムレス.com"), "noticeButton");
    auto* help = Button(QStringLiteral("ヘルプ"), "helpButton");
    auto* saveButton = Button(QStringLiteral("設定を保存"), "saveButton");
    auto* cancelButton = Button(QStringLiteral("キャンセル"), "cancelButton");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(site);
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    outer->addSpacing(2);
    outer->addLayout(buttons);
    connect(site, &QPushButton::clicked, this, &SettingsDialog::showNotice);
    connect(help, &QPushButton::clicked, this, &SettingsDialog::helpRequested);
    connect(saveButton, &QPushButton::clicked, this, &SettingsDialog::save);
    connect(cancelButton, &QPushButton::clicked, this, &SettingsDialog::cancel);

    // Tab follows the reading order: the quit profile, then the display and
    // copy options, the address and the buttons.
    const QList<QWidget*> order = {quit_[0],     quit_[1],     quit_[2],     quit_[3],      quit_[4],
                                   perDay_,      price_,       sizes_[0],    sizes_[1],     sizes_[2],
                                   tax_,         status_,      textColor_,   backColor_,    boxCount_,
                                   copyPlus_[0], copyPlus_[1], copyPlus_[2], smokingYears_, link_,
                                   site,         help,         saveButton,   cancelButton};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

QPushButton* SettingsDialog::button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void SettingsDialog::fill() {
    const int32_t quit[5] = {initial_.quit.year, initial_.quit.month, initial_.quit.day, initial_.quit.hour,
                             initial_.quit.minute};
    for (int i = 0; i < 5; ++i) quit_[i]->setText(QString::number(quit[i]));
    perDay_->setText(QString::number(initial_.cigarettesPerDay));
    price_->setText(QString::number(initial_.packPrice));
    // Any other stored size leaves the standard size selected.
    const auto size = std::find(kCigaretteSizes.begin(), kCigaretteSizes.end(), initial_.cigaretteSize);
    sizes_[size != kCigaretteSizes.end() ? size - kCigaretteSizes.begin() : 1]->setChecked(true);
    if (options_.copyPlusMode >= 0 && options_.copyPlusMode <= 2)
        copyPlus_[options_.copyPlusMode]->setChecked(true);
    smokingYears_->setEnabled(options_.copyPlusMode == 2);
    tax_->setText(QString::number(options_.taxRatePercent));
    smokingYears_->setText(QString::number(options_.smokingYears));
    boxCount_->setChecked(static_cast<bool>(options_.showBoxCount));
    link_->setText(QString::fromStdString(options_.linkUrl));
    // The list offers exactly the four modes; a stored text that is none of
    // them shows no selection and is kept until another one is chosen.
    status_->setCurrentIndex(status_->findText(QString::fromStdString(options_.statusMode)));
    updateSample();
}

void SettingsDialog::showEvent(QShowEvent* e) {
    DialogWindow::showEvent(e);
    // The keyboard starts where the reading starts.
    quit_[0]->setFocus(Qt::OtherFocusReason);
}

void SettingsDialog::updateSample() {
    SetStoredColors(sample_, options_.backColor, options_.foreColor);
    // The buttons say the colour they hold, the sample both.
    const QString text = QString::fromStdString(ColorWords(options_.foreColor));
    const QString back = QString::fromStdString(ColorWords(options_.backColor));
    textColor_->setAccessibleName(QStringLiteral("テキストの色　") + text);
    backColor_->setAccessibleName(QStringLiteral("背景の色　") + back);
    sample_->setAccessibleName(QStringLiteral("サンプル色　テキストは") + text + QStringLiteral("、背景は") +
                               back);
}

void SettingsDialog::chooseTextColor() {
    if (auto c = desktop_.chooseColor(ToQColor(options_.foreColor), this)) {
        options_.foreColor = RgbOf(*c);
        updateSample();
    }
}

void SettingsDialog::chooseBackColor() {
    if (auto c = desktop_.chooseColor(ToQColor(options_.backColor), this)) {
        options_.backColor = RgbOf(*c);
        updateSample();
    }
}

void SettingsDialog::save() {
    SettingsForm form;
    form.profile = {TextOf(quit_[0]), TextOf(quit_[1]), TextOf(quit_[2]), TextOf(quit_[3]),
                    TextOf(quit_[4]), TextOf(perDay_),  TextOf(price_)};
    if (const int size = CheckedOption(sizes_); size >= 0) form.cigaretteSize = kCigaretteSizes[size];
    form.linkUrl = TextOf(link_);
    if (const int mode = CheckedOption(copyPlus_); mode >= 0) form.copyPlusMode = mode;
    form.showBoxCount = boxCount_->isChecked();
    form.statusMode =
        status_->currentIndex() >= 0 ? status_->currentText().toStdString() : options_.statusMode;
    form.taxRate = TextOf(tax_);
    form.smokingYears = TextOf(smokingYears_);

    const SettingsSave result = ApplySettingsForm(form, clock_.now(), initial_, options_);
    if (result.profileTaken()) {
        initial_ = result.initial;
        options_ = result.options;
    }
    switch (result.outcome) {
        case SaveOutcome::RangeError: desktop_.message(this, QString::fromUtf8(kRangeMessage)); return;
        case SaveOutcome::FutureError: desktop_.message(this, QString::fromUtf8(kFutureMessage)); return;
        case SaveOutcome::OptionError:
            // The profile passed its checks and is due in initial.ini,
            // however the dialog ends; the dialog stays open.
            profileTaken_ = initial_;
            desktop_.message(this, QString::fromUtf8(kRangeMessage));
            return;
        case SaveOutcome::Saved: finish(SettingsResult::Ending::Saved); return;
    }
}

void SettingsDialog::cancel() { finish(SettingsResult::Ending::Cancelled); }

}  // namespace kemless

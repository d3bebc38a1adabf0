#include "windows/main_window.h"

#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include "desktop/accessibility.h"
#include "desktop/artwork.h"
#include "desktop/colors.h"
#include "desktop/focus_ring.h"
#include "desktop/twips.h"
#include "windows/widgets.h"

namespace kemless {
namespace {

struct Heading {
    const char* name;
    const char* caption;
    int left, top, width;
};
// Fixed captions above the value lines and the lungs, in twips; the last is
// the lungs'.
constexpr Heading kHeadings[] = {
    {"elapsedHeading", "卒煙からの日数", 120, 60, 1335},
    {"lifeHeading", "延びた寿命", 120, 610, 975},
    {"savingsHeading", "節約できた金額", 120, 1155, 1335},
    {"statusHeading", "ステータス", 4005, 60, 975},
    {"unsmokedHeading", "吸わなかった煙草", 120, 1710, 1455},
    {"messageHeading", "今日の一言", 120, 2235, 975},
    {"lungsHeading", "肺の状態", 4080, 630, 735},
};
constexpr int kLungsHeading = 6;

struct ValuePlace {
    const char* name;
    int left, top, width;
};
// In the order of ValueLabel; each is heard with the heading of the same
// index above.
constexpr ValuePlace kValues[6] = {
    {"elapsedValue", 240, 240, 3615}, {"lifeValue", 240, 790, 3615},      {"savingsValue", 240, 1340, 3615},
    {"statusValue", 4080, 240, 1335}, {"unsmokedValue", 240, 1890, 5175}, {"messageValue", 240, 2440, 5175},
};
constexpr int kValueHeight = 255;
// The keyboard's way through the value lines: the left column, then the
// title at the top right, then the message of the day.
constexpr ValueLabel kReadingOrder[6] = {kElapsedLabel,  kLifeLabel,   kMoneyLabel,
                                         kUnsmokedLabel, kStatusLabel, kMessageLabel};

struct ButtonPlace {
    const char* name;
    const char* caption;
    int left;
};
constexpr ButtonPlace kButtons[] = {{"copySummaryButton", "コピ１", 120},
                                    {"copyShortButton", "コピ２", 960},
                                    {"openLinkButton", "ＢＢＳ", 3960},
                                    {"settingsButton", "設定", 4800}};

// Lefts of the three ducks (twips); arriving ducks stand low, pleased ones high.
constexpr int kDuckLefts[3] = {2040, 2580, 3120};
constexpr int kArrivingTop = 2700;
constexpr int kPleasedTop = 1560;

}  // namespace

MainWindow::MainWindow(QWidget* parent) : DisplayWindow(parent) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral(" ケムレス - lunapo"));
    DescribeWindow(this, WindowKind::Window, QStringLiteral("ケムレス"));
    setFixedSize(Px(5625), Px(3330));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    buildControls();
}

void MainWindow::buildControls() {
    QFont headingFont = font();
    headingFont.setPointSizeF(8);
    std::array<ControlLabel*, std::size(kHeadings)> headings{};
    for (size_t i = 0; i < std::size(kHeadings); ++i) {
        const Heading& h = kHeadings[i];
        auto* l = new ControlLabel(this);
        l->setObjectName(QString::fromLatin1(h.name));
        l->setTextFormat(Qt::PlainText);
        l->setText(QString::fromUtf8(h.caption));
        l->setFont(headingFont);
        l->setStyleSheet(QStringLiteral("color: white;"));
        l->setGeometry(TwipsRect(h.left, h.top, h.width, 180).adjusted(0, 0, 0, 2));
        // Heard with the value or picture under it, never alone.
        MarkDecorative(l);
        headings[i] = l;
    }

    // Every figure is a stop for the keyboard, marked together with its
    // heading, so a screen reader user reaches each of them with Tab.
    for (int i = 0; i < 6; ++i) {
        auto* l = new ControlLabel(this);
        l->setObjectName(QString::fromLatin1(kValues[i].name));
        l->setGeometry(TwipsRect(kValues[i].left, kValues[i].top, kValues[i].width, kValueHeight));
        l->setAutoFillBackground(true);
        l->setHeading(QString::fromUtf8(kHeadings[i].caption));
        l->setTextInteractionFlags(Qt::NoTextInteraction);
        // Texts are never markup; guessing would lay some out as a document.
        l->setTextFormat(Qt::PlainText);
        l->setFocusPolicy(Qt::TabFocus);
        RingAlsoAround(l, headings[i]);
        values_[i] = l;
    }
    setValueColors(Rgb(128, 128, 128), Rgb(255, 255, 255));
    // The elapsed time switches its form with Space too, so the keyboard
    // reaches everything a click does.
    connect(values_[kElapsedLabel], &ControlLabel::clicked, this, &MainWindow::elapsedClicked);

    lungs_ = new LungPicture(this);
    lungs_->setObjectName(QStringLiteral("lungs"));
    lungs_->setGeometry(TwipsRect(4320, 860, 855, 735));
    lungs_->setFocusPolicy(Qt::TabFocus);
    RingAlsoAround(lungs_, headings[kLungsHeading]);

    for (int i = 0; i < kDuckCount; ++i) {
        auto* d = new QLabel(this);
        StopMousePropagation(d);
        d->setFocusPolicy(Qt::TabFocus);
        ducks_[i] = d;
    }
    placeDuckPixmaps();
    hideDucks();

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("nextDuckProgress"));
    progress_->setRange(0, kProgressMaximum);
    progress_->setTextVisible(false);
    progress_->setGeometry(TwipsRect(1800, 3120, 2055, 120));
    StopMousePropagation(progress_);
    progress_->setAccessibleName(QStringLiteral("次のアヒルまで"));
    progress_->setFocusPolicy(Qt::TabFocus);

    const std::array<void (MainWindow::*)(), 4> actions = {
        &MainWindow::copySummaryRequested, &MainWindow::copyShortRequested, &MainWindow::openLinkRequested,
        &MainWindow::settingsRequested};
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        auto* b = new QPushButton(QString::fromUtf8(kButtons[i].caption), this);
        b->setObjectName(QString::fromLatin1(kButtons[i].name));
        b->setGeometry(TwipsRect(kButtons[i].left, 2950, 735, 300));
        StopMousePropagation(b);
        PressWithEnter(b);
        connect(b, &QPushButton::clicked, this, actions[i]);
    }
    // Heard by their captions, then by what they do, in the menu's words.
    button("copySummaryButton")->setAccessibleDescription(QString::fromUtf8(kCopy.caption));
    button("copyShortButton")->setAccessibleDescription(QString::fromUtf8(kCopyShort.caption));
    button("openLinkButton")->setAccessibleDescription(QString::fromUtf8(kOpenLink.caption));
    button("settingsButton")->setAccessibleDescription(QString::fromUtf8(kSettings.caption));

    // Tab goes through the figures in reading order (the value lines, the
    // title, the message, the ducks, the progress, the lungs), then the
    // buttons.
    QList<QWidget*> order;
    for (ValueLabel line : kReadingOrder) order << values_[line];
    for (QLabel* d : ducks_) order << d;
    order << progress_ << lungs_;
    for (const ButtonPlace& b : kButtons) order << button(b.name);
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    const MenuEntry mini{"miniSizeAction", "ミニサイズで運転する", Action::SwitchSize};
    setPopupMenu({kCopy, kCopyShort, kOpenLink, kSettings, kVersion, mini, kHelp, kExit, kHideToTray,
                  kSeparator, kCraving, kRecord, kHealth, kPlan});
}

void MainWindow::placeDuckPixmaps() {
    const qreal dpr = devicePixelRatioF();
    const QPixmap arriving = artwork::Duck(false, dpr);
    const QPixmap pleased = artwork::Duck(true, dpr);
    for (int i = 0; i < 3; ++i) {
        ducks_[i]->setPixmap(arriving);
        ducks_[i]->setGeometry(TwipsRect(kDuckLefts[i], kArrivingTop, 450, 435));
        ducks_[3 + i]->setPixmap(pleased);
        ducks_[3 + i]->setGeometry(TwipsRect(kDuckLefts[i], kPleasedTop, 450, 435));
    }
    // In the order of Duck; each of the three has a name of its own.
    const char* names[kDuckCount] = {"viceCaptainArriving", "kingArriving", "captainArriving",
                                     "viceCaptainPleased",  "kingPleased",  "captainPleased"};
    // Spoken with what the duck is doing: come to celebrate, or pleased.
    const char* spoken[kDuckCount] = {"アヒル副隊長　お祝いに来ました", "アヒルの王様　お祝いに来ました",
                                      "アヒル隊長　お祝いに来ました",   "アヒル副隊長　喜んでいます",
                                      "アヒルの王様　喜んでいます",     "アヒル隊長　喜んでいます"};
    for (int i = 0; i < kDuckCount; ++i) {
        ducks_[i]->setObjectName(QString::fromLatin1(names[i]));
        ducks_[i]->setAccessibleName(QString::fromUtf8(spoken[i]));
    }
}

void MainWindow::hideDucks() {
    for (QLabel* d : ducks_) d->hide();
}

void MainWindow::render(const DisplayState& display) {
    for (int i = 0; i < 6; ++i) values_[i]->setText(QString::fromStdString(display.captions[i]));
    lungs_->setStage(ToQColor(display.lungColor), QString::fromUtf8(display.lungWords));

    hideDucks();
    for (Duck d : display.ducks.visible) {
        QLabel* picture = duck(d);
        picture->show();
        // Once raised, a duck stays raised until the window is made anew.
        if (display.ducks.raised) picture->move(picture->x(), Px(kRaisedDuckTop));
    }
    if (display.ducks.hideBar) progress_->hide();
    progress_->setValue(display.ducks.progress);
}

void MainWindow::setValueColors(Rgb backColor, Rgb foreColor) {
    for (ControlLabel* l : values_) SetStoredColors(l, backColor, foreColor);
}

QString MainWindow::caption(int line) const { return values_[line]->text(); }

QPushButton* MainWindow::button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

QPoint MainWindow::keyboardMenuAnchor() const { return {Px(120), Px(240)}; }

void MainWindow::paintEvent(QPaintEvent*) {
    // Two white frames, open at the top left where a heading sits.
    QPainter p(this);
    p.setPen(QPen(Qt::white, 1));
    auto line = [&](int x1, int y1, int x2, int y2) { p.drawLine(Px(x1), Px(y1), Px(x2), Px(y2)); };
    line(4800, 720, 5400, 720);
    line(5400, 720, 5400, 1680);
    line(4080, 1680, 5400, 1680);
    line(4080, 720, 4080, 1680);
    line(960, 2300, 5520, 2300);
    line(5520, 2300, 5520, 2780);
    line(120, 2780, 5520, 2780);
    line(120, 2400, 120, 2780);
}

}  // namespace kemless

#include "windows/main_window.h"

#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "desktop/artwork.h"
#include "desktop/twips.h"
#include "windows/widgets.h"

namespace kemless {
namespace {

constexpr int kRefreshIntervalMs = 30000;

struct Heading {
    int element;
    const char* caption;
    int left, top, width;
};
// Fixed captions above the value lines, in twips.
constexpr Heading kHeadings[] = {
    {0, "卒煙からの日数", 120, 60, 1335},   {4, "延びた寿命", 120, 610, 975},
    {2, "節約できた金額", 120, 1155, 1335}, {1, "吸わなかった煙草", 120, 1710, 1455},
    {6, "今日の一言", 120, 2235, 975},      {5, "ステータス", 4005, 60, 975},
    {19, "肺の状態", 4080, 630, 735},
};

struct ValuePlace {
    int left, top, width;
    const char* heading;  // what a screen reader announces with the value
};
constexpr ValuePlace kValues[6] = {
    {240, 240, 3615, "卒煙からの日数"}, {240, 790, 3615, "延びた寿命"},
    {240, 1340, 3615, "節約できた金額"}, {4080, 240, 1335, "ステータス"},
    {240, 1890, 5175, "吸わなかった煙草"}, {240, 2440, 5175, "今日の一言"},
};
constexpr int kValueHeight = 255;

struct ButtonPlace {
    const char* name;
    const char* caption;
    int left;
};
constexpr ButtonPlace kButtons[] = {
    {"Command3", "コピ１", 120}, {"Command4", "コピ２", 960}, {"Command2", "ＢＢＳ", 3960}, {"Command1", "設定", 4800}};

// Lefts of the three ducks (twips); arriving ducks stand low, pleased ones high.
constexpr int kDuckLefts[3] = {2040, 2580, 3120};
constexpr int kArrivingTop = 2700;
constexpr int kPleasedTop = 1560;

}  // namespace

MainWindow::MainWindow(QWidget* parent) : DisplayWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" ケムレス - lunapo"));
    setFixedSize(Px(5625), Px(3330));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    buildControls();

    // Runs from the window's creation, shown or hidden.
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kRefreshIntervalMs);
    connect(timer_, &QTimer::timeout, this, &MainWindow::tick);
    timer_->start();
}

void MainWindow::buildControls() {
    QFont headingFont = font();
    headingFont.setPointSizeF(8);
    for (const Heading& h : kHeadings) {
        auto* l = new ControlLabel(this);
        l->setObjectName(QStringLiteral("Label1_%1").arg(h.element));
        l->setTextFormat(Qt::PlainText);
        l->setText(QString::fromUtf8(h.caption));
        l->setFont(headingFont);
        l->setStyleSheet(QStringLiteral("color: white;"));
        l->setGeometry(TwipsRect(h.left, h.top, h.width, 180).adjusted(0, 0, 0, 2));
    }

    for (int i = 0; i < 6; ++i) {
        auto* l = new ControlLabel(this);
        l->setObjectName(QStringLiteral("Label2_%1").arg(i));
        l->setGeometry(TwipsRect(kValues[i].left, kValues[i].top, kValues[i].width, kValueHeight));
        l->setAutoFillBackground(true);
        l->setAccessibleName(QString::fromUtf8(kValues[i].heading));
        l->setTextInteractionFlags(Qt::NoTextInteraction);
        // Texts are never markup; guessing would lay some out as a document.
        l->setTextFormat(Qt::PlainText);
        values_[i] = l;
    }
    setValueColors(BgrFromColor(QColor(128, 128, 128)), BgrFromColor(Qt::white));
    connect(values_[kElapsedLabel], &ControlLabel::clicked, this, &MainWindow::elapsedClicked);
    // The elapsed time switches its form with Space too, so the keyboard
    // reaches everything a click does.
    values_[kElapsedLabel]->setFocusPolicy(Qt::TabFocus);

    lungs_ = new LungPicture(this);
    lungs_->setGeometry(TwipsRect(4320, 860, 855, 735));

    for (int i = 0; i < kDuckCount; ++i) {
        auto* d = new QLabel(this);
        StopMousePropagation(d);
        ducks_[i] = d;
    }
    placeDuckPixmaps();
    hideDucks();

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, kProgressMaximum);
    progress_->setTextVisible(false);
    progress_->setGeometry(TwipsRect(1800, 3120, 2055, 120));
    StopMousePropagation(progress_);
    progress_->setAccessibleName(QStringLiteral("次のアヒルまで"));

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
    button("Command3")->setAccessibleName(QStringLiteral("コピーする"));
    button("Command4")->setAccessibleName(QStringLiteral("ツイッター用にコピー"));
    button("Command2")->setAccessibleName(QStringLiteral("ブログや掲示板を開く"));
    button("Command1")->setAccessibleName(QStringLiteral("設定変更をする"));

    const MenuEntry mini{"mnuMini", "ミニサイズで運転する", Action::SwitchSize};
    setPopupMenu({kCopy, kCopyShort, kOpenLink, kSettings, kVersion, mini, kHelp, kExit});
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
    // Ducks by their names: vice-captain, king, captain.
    const char* names[kDuckCount] = {"Image1_10", "Image1_11", "Image1_12", "Image3_0", "Image3_1", "Image3_2"};
    const char* spoken[3] = {"アヒル副隊長", "アヒルの王様", "アヒル隊長"};
    for (int i = 0; i < kDuckCount; ++i) {
        ducks_[i]->setObjectName(QString::fromLatin1(names[i]));
        ducks_[i]->setAccessibleName(QString::fromUtf8(spoken[i % 3]));
    }
}

void MainWindow::hideDucks() {
    for (QLabel* d : ducks_) d->hide();
}

void MainWindow::render(const DisplayState& display) {
    for (int i = 0; i < 6; ++i) values_[i]->setText(QString::fromStdString(display.captions[i]));
    lungs_->setFillColor(ColorFromBgr(display.lungColor));

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

void MainWindow::setValueColors(int32_t backColor, int32_t foreColor) {
    for (ControlLabel* l : values_) SetStoredColors(l, backColor, foreColor);
}

QString MainWindow::caption(int element) const { return values_[element]->text(); }

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

#include "dialogs/ceremony.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <iterator>

#include "content/season.h"
#include "desktop/accessibility.h"
#include "desktop/artwork.h"
#include "desktop/twips.h"

namespace kemless {

StartCeremony::StartCeremony(QWidget* parent)
    : DialogWindow(QStringLiteral("startCeremony"), QStringLiteral(" ( ・◇・)  - lunapo"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    const QString lines[4] = {QStringLiteral("ようこそケムレスへ"),
                              QStringLiteral("これでタバコとは、永遠のサヨナラとなります。"),
                              QStringLiteral("今から卒煙を開始しますか？"), QStringLiteral("どうしますか？")};
    // Said when the window comes up, before the button that has the keyboard.
    DescribeWindow(this, WindowKind::Dialog, QStringLiteral("卒煙の開始"),
                   QStringList(std::begin(lines), std::end(lines)).join(QLatin1Char(' ')));
    auto* welcome = new QLabel(lines[0]);
    welcome->setObjectName(QStringLiteral("welcomeLabel"));
    QFont big = welcome->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    welcome->setFont(big);
    layout->addWidget(welcome, 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    layout->addWidget(new QLabel(lines[1]));
    layout->addWidget(new QLabel(lines[2]));
    layout->addSpacing(10);
    layout->addWidget(new QLabel(lines[3]));
    layout->addSpacing(4);

    start_ = new QPushButton(QStringLiteral("卒煙を開始する(CR)"));
    start_->setObjectName(QStringLiteral("startButton"));
    // "(CR)" tells the eye that Enter starts; a screen reader says the button.
    start_->setAccessibleName(QStringLiteral("卒煙を開始する"));
    layout->addWidget(start_);
    auto* row = new QHBoxLayout;
    const QString declines[2] = {QStringLiteral("もう少し考える"), QStringLiteral("また次の機会にする")};
    const QString declineNames[2] = {QStringLiteral("thinkMoreButton"), QStringLiteral("nextTimeButton")};
    for (int i = 0; i < 2; ++i) {
        decline_[i] = new QPushButton(declines[i]);
        decline_[i]->setObjectName(declineNames[i]);
        row->addWidget(decline_[i]);
        // Declining ends the program: nothing has been written.
        connect(decline_[i], &QPushButton::clicked, this, &QWidget::close);
    }
    layout->addLayout(row);
    connect(start_, &QPushButton::clicked, this, &StartCeremony::startRequested);
    setEnterAction([this] { emit startRequested(); });
    setEscapeAction([this] { close(); });
    setFixedSize(sizeHint());
}

SeasonalCeremony::SeasonalCeremony(const SeasonalGreeting* greeting, QWidget* parent)
    : DialogWindow(QStringLiteral("seasonalCeremony"), QStringLiteral(" メリークリスマス - lunapo"), parent) {
    setFixedSize(Px(5400), Px(3300));

    // Laid out in twips: the New Year greeting moves two of these lines.
    auto label = [this](const char* name, int top, bool bold) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(TwipsRect(240, top, 4920, 300));
        l->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        return l;
    };
    heading_ = label("headingLabel", 240, true);
    greeting_ = label("greetingLabel", 720, false);
    wish_[0] = label("wishFirstLabel", 1200, false);
    wish_[1] = label("wishSecondLabel", 1560, false);

    const int lefts[3] = {900, 2512, 4125};
    const char* names[3] = {"leftSparkle", "middleSparkle", "rightSparkle"};
    for (int i = 0; i < 3; ++i) {
        pictures_[i] = new QLabel(this);
        pictures_[i]->setObjectName(QString::fromLatin1(names[i]));
        pictures_[i]->setGeometry(TwipsRect(lefts[i], 2010, 375, 345));
        MarkDecorative(pictures_[i]);
    }

    start_ = new QPushButton(QStringLiteral("卒煙を開始する(CR)"), this);
    start_->setAccessibleName(QStringLiteral("卒煙を開始する"));
    start_->setObjectName(QStringLiteral("startButton"));
    start_->setGeometry(TwipsRect(1500, 2640, 2400, 435));
    connect(start_, &QPushButton::clicked, this, &SeasonalCeremony::confirmed);
    setEnterAction([this] { emit confirmed(); });
    // Its only other way out is the close box, which declines.
    setEscapeAction([this] { close(); });

    animation_ = new QTimer(this);
    animation_->setInterval(120);
    connect(animation_, &QTimer::timeout, this, &SeasonalCeremony::nextFrame);
    fill(greeting);
    nextFrame();
    animation_->start();
}

void SeasonalCeremony::fill(const SeasonalGreeting* greeting) {
    for (QLabel* p : pictures_) p->hide();
    for (QLabel* l : {heading_, greeting_, wish_[0], wish_[1]}) l->clear();
    DescribeWindow(this, WindowKind::Dialog, QStringLiteral("卒煙の開始"));
    if (greeting == nullptr) return;
    // Said when the window comes up: the message, the greeting and the wish
    // as one sentence.
    QStringList intro;
    for (const std::string& line :
         {greeting->heading, greeting->greeting, greeting->wishFirst + greeting->wishSecond})
        if (!line.empty()) intro << QString::fromStdString(line);
    setAccessibleDescription(intro.join(QLatin1Char(' ')));
    setWindowTitle(QString::fromStdString(greeting->caption));
    heading_->setText(QString::fromStdString(greeting->heading));
    greeting_->setText(QString::fromStdString(greeting->greeting));
    wish_[0]->setText(QString::fromStdString(greeting->wishFirst));
    wish_[1]->setText(QString::fromStdString(greeting->wishSecond));
    if (greeting->newYear) {
        greeting_->move(greeting_->x(), Px(1200));
        wish_[1]->move(wish_[1]->x(), Px(1800));
    }
    for (int i = 0; i < 3; ++i) pictures_[i]->setVisible(greeting->pictures[i]);
}

void SeasonalCeremony::nextFrame() {
    const QPixmap frame = artwork::SparkleFrame(frame_, devicePixelRatioF());
    for (QLabel* p : pictures_) p->setPixmap(frame);
    frame_ = (frame_ + 1) % artwork::kSparkleFrames;
}

}  // namespace kemless

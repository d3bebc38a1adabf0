#include "dialogs/ceremony.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "desktop/artwork.h"
#include "desktop/twips.h"
#include "forms/season.h"

namespace kemless {

StartCeremony::StartCeremony(QWidget* parent) : FormWindow(parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral(" ( ・◇・)  - lunapo"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    auto* welcome = new QLabel(QStringLiteral("ようこそケムレスへ"));
    welcome->setObjectName(QStringLiteral("Label1"));
    QFont big = welcome->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    welcome->setFont(big);
    layout->addWidget(welcome, 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    layout->addWidget(new QLabel(QStringLiteral("これでタバコとは、永遠のサヨナラとなります。")));
    layout->addWidget(new QLabel(QStringLiteral("今から卒煙を開始しますか？")));
    layout->addSpacing(10);
    layout->addWidget(new QLabel(QStringLiteral("どうしますか？")));
    layout->addSpacing(4);

    start_ = new QPushButton(QStringLiteral("卒煙を開始する(CR)"));
    start_->setObjectName(QStringLiteral("Command1"));
    layout->addWidget(start_);
    auto* row = new QHBoxLayout;
    const QString declines[2] = {QStringLiteral("もう少し考える"), QStringLiteral("また次の機会にする")};
    for (int i = 0; i < 2; ++i) {
        decline_[i] = new QPushButton(declines[i]);
        decline_[i]->setObjectName(QStringLiteral("Command2_%1").arg(i));
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

SeasonalCeremony::SeasonalCeremony(const SeasonalGreeting* greeting, QWidget* parent) : FormWindow(parent) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral(" メリークリスマス - lunapo"));
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
    label1_ = label("Label1", 240, true);
    label2_ = label("Label2", 720, false);
    label3_[0] = label("Label3_0", 1200, false);
    label3_[1] = label("Label3_1", 1560, false);

    const int lefts[3] = {900, 2512, 4125};
    for (int i = 0; i < 3; ++i) {
        pictures_[i] = new QLabel(this);
        pictures_[i]->setObjectName(QStringLiteral("Image1_%1").arg(i));
        pictures_[i]->setGeometry(TwipsRect(lefts[i], 2010, 375, 345));
        pictures_[i]->setAccessibleName(QStringLiteral("きらきら"));
    }

    start_ = new QPushButton(QStringLiteral("卒煙を開始する(CR)"), this);
    start_->setObjectName(QStringLiteral("Command1"));
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
    for (QLabel* l : {label1_, label2_, label3_[0], label3_[1]}) l->clear();
    if (greeting == nullptr) return;
    setWindowTitle(QString::fromStdString(greeting->caption));
    label1_->setText(QString::fromStdString(greeting->heading));
    label2_->setText(QString::fromStdString(greeting->greeting));
    label3_[0]->setText(QString::fromStdString(greeting->wishFirst));
    label3_[1]->setText(QString::fromStdString(greeting->wishSecond));
    if (greeting->newYear) {
        label2_->move(label2_->x(), Px(1200));
        label3_[1]->move(label3_[1]->x(), Px(1800));
    }
    for (int i = 0; i < 3; ++i) pictures_[i]->setVisible(greeting->pictures[i]);
}

void SeasonalCeremony::nextFrame() {
    const QPixmap frame = artwork::SparkleFrame(frame_, devicePixelRatioF());
    for (QLabel* p : pictures_) p->setPixmap(frame);
    frame_ = (frame_ + 1) % artwork::kSparkleFrames;
}

}  // namespace kemless

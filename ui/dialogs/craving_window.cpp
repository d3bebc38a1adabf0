#include "dialogs/craving_window.h"

#include <QAccessible>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "desktop/accessibility.h"
#include "dialogs/breathing_ring.h"

namespace kemless {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// A line a screen reader reaches with Tab and hears whole, again whenever it
// changes while it has the keyboard.
QLabel* ReadableLine(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setFocusPolicy(Qt::TabFocus);
    MakeSpoken(l, QAccessible::StaticText);
    return l;
}

void ShowLine(QLabel* line, const QString& text) {
    if (line->text() == text) return;
    line->setText(text);
    SetSpokenName(line, text);
}

}  // namespace

CravingWindow::CravingWindow(QWidget* parent)
    : SideWindow(QStringLiteral("cravingWindow"), SideWindowCaption(kCravingWindow), parent) {
    // It asks how the craving ended; coming up it says what it is for.
    DescribeWindow(this, WindowKind::Dialog, QString::fromUtf8(kCravingWindow.title),
                   QString::fromUtf8(kCravingIntro));
    animation_.setObjectName(QStringLiteral("animationTimer"));
    lessMotion_ = DesktopAsksForLessMotion();
    animation_.setInterval(lessMotion_ ? kSteppedFrameMs : kFrameMs);
    animation_.setTimerType(Qt::CoarseTimer);
    connect(&animation_, &QTimer::timeout, this, &CravingWindow::tick);

    intro_ = new QLabel(QString::fromUtf8(kCravingIntro), this);
    intro_->setObjectName(QStringLiteral("introLabel"));
    intro_->setWordWrap(true);
    intro_->setTextFormat(Qt::PlainText);
    // Said as the window comes up; the end of the five minutes the countdown says.
    MarkDecorative(intro_);

    ring_ = new BreathingRing(this);
    countdown_ = ReadableLine("countdownLabel", this);
    // Between the whole minutes it says the second it is at when the
    // keyboard comes to it.
    countdown_->installEventFilter(this);
    QFont big = countdown_->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    countdown_->setFont(big);

    auto* won = new QLabel(QStringLiteral("ここまでに取り戻したもの"), this);
    won->setObjectName(QStringLiteral("wonHeading"));
    // Each figure says its own heading.
    MarkDecorative(won);
    auto* side = new QVBoxLayout;
    side->addWidget(countdown_);
    side->addSpacing(8);
    side->addWidget(won);
    const char* names[3] = {"moneyFigure", "lifeFigure", "unsmokedFigure"};
    for (int i = 0; i < 3; ++i) {
        figures_[i] = ReadableLine(names[i], this);
        side->addWidget(figures_[i]);
    }
    side->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addWidget(ring_, 1);
    middle->addLayout(side, 1);

    // The question while the craving lasts; the answer once it is given.
    // Two plain panes, one shown at a time: a screen reader passes a plain
    // pane by, where it would name a stack of pages.
    auto* ask = new QWidget(this);
    ask->setObjectName(QStringLiteral("askPane"));
    auto* askRow = new QHBoxLayout(ask);
    askRow->setContentsMargins(0, 0, 0, 0);
    QPushButton* passed = Button("urgePassedButton", "乗り越えた", ask);
    QPushButton* slip = Button("slipButton", "吸ってしまった", ask);
    QPushButton* closeButton = Button("closeButton", "閉じる", ask);
    askRow->addWidget(passed);
    askRow->addWidget(slip);
    askRow->addStretch();
    askRow->addWidget(closeButton);
    auto* told = new QWidget(this);
    told->setObjectName(QStringLiteral("toldPane"));
    told->hide();
    auto* toldColumn = new QVBoxLayout(told);
    toldColumn->setContentsMargins(0, 0, 0, 0);
    message_ = ReadableLine("outcomeLabel", told);
    message_->setWordWrap(true);
    auto* toldRow = new QHBoxLayout;
    QPushButton* record = Button("recordButton", kRecordWindow.title, told);
    QPushButton* closeAfter = Button("closeAfterButton", "閉じる", told);
    toldRow->addWidget(record);
    toldRow->addStretch();
    toldRow->addWidget(closeAfter);
    toldColumn->addWidget(message_);
    toldColumn->addLayout(toldRow);
    ask_ = ask;
    told_ = told;

    auto* column = new QVBoxLayout(this);
    column->addWidget(intro_);
    column->addLayout(middle, 1);
    column->addWidget(ask);
    column->addWidget(told);

    connect(passed, &QPushButton::clicked, this, [this] {
        answered();
        emit urgePassed();
    });
    connect(slip, &QPushButton::clicked, this, [this] {
        answered();
        emit slipped();
    });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(closeAfter, &QPushButton::clicked, this, &QWidget::close);
    connect(record, &QPushButton::clicked, this, &CravingWindow::recordRequested);

    resize(540, 330);
    renderAt(0);
}

QPushButton* CravingWindow::button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void CravingWindow::setFigures(const std::array<FigureLine, 3>& figures) {
    for (int i = 0; i < 3; ++i) {
        ShowLine(figures_[i], Q(figures[i].heading) + QStringLiteral("　") + Q(figures[i].value));
    }
}

void CravingWindow::setPlan(const QStringList& reasons, const QList<PlanInCraving::Trigger>& triggers) {
    if (plan_ == nullptr) {
        // Above the answers, after the figures, in reading order as on the screen.
        plan_ = new PlanInCraving(this);
        static_cast<QVBoxLayout*>(layout())->insertWidget(2, plan_);
        connect(plan_, &PlanInCraving::triggerPicked, this, &CravingWindow::triggerPicked);
    }
    plan_->setPlan(reasons, triggers);
    QWidget* before = figures_[2];
    for (QWidget* w : plan_->focusChain()) QWidget::setTabOrder(std::exchange(before, w), w);
    QWidget::setTabOrder(before, button("urgePassedButton"));
}

void CravingWindow::answered() {
    answered_ = true;
    // One answer a craving: a second press must not count twice.
    button("urgePassedButton")->setEnabled(false);
    button("slipButton")->setEnabled(false);
}

void CravingWindow::showOutcome(const QString& words) {
    ShowLine(message_, words);
    // Room for every line of the words at the width they have: the picture
    // above gives way, never the words.
    const int width = std::max(ask_->width(), minimumSizeHint().width());
    message_->setMinimumHeight(message_->heightForWidth(width));
    ask_->hide();
    told_->show();
    // The keyboard goes to the words, so a screen reader reads them.
    message_->setFocus(Qt::OtherFocusReason);
}

void CravingWindow::renderAt(qint64 elapsedMs) {
    const CravingMoment m = CravingAt(elapsedMs);
    const QString word = Q(m.breathWord);
    const bool turned = word != ring_->word();
    ring_->setState(m.permille, lessMotion_ ? m.breathStep : m.breathSize, word);
    // The breath to follow, in its word alone, while the guide has the
    // keyboard.
    if (turned && !word.isEmpty() && ring_->hasFocus()) Announce(this, word);
    if (const QString countdown = Q(m.countdown); countdown_->text() != countdown) {
        countdown_->setText(countdown);
        // What a screen reader is told changes on the whole minutes only:
        // each change is said, and costs the screen reader work.
        if (m.announce) SetSpokenName(countdown_, countdown);
    }
    if (m.finished && !finished_) {
        finished_ = true;
        animation_.stop();
        const QString finished = QString::fromUtf8(kCravingFinished);
        intro_->setText(finished);
        // Heard wherever the keyboard is, unless the answer was given.
        if (!answered_) Announce(this, finished);
    }
}

void CravingWindow::setLessMotion(bool less) {
    lessMotion_ = less;
    animation_.setInterval(less ? kSteppedFrameMs : kFrameMs);
    tick();
}

void CravingWindow::startAfresh() {
    since_.invalidate();
    finished_ = false;
    answered_ = false;
    intro_->setText(QString::fromUtf8(kCravingIntro));
    button("urgePassedButton")->setEnabled(true);
    button("slipButton")->setEnabled(true);
    ShowLine(message_, QString());
    message_->setMinimumHeight(0);
    told_->hide();
    ask_->show();
    renderAt(0);
    if (isVisible()) {
        since_.start();
        animation_.start();
    }
    ring_->setFocus(Qt::OtherFocusReason);
}

bool CravingWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == countdown_ && e->type() == QEvent::FocusIn)
        countdown_->setAccessibleName(countdown_->text());
    return SideWindow::eventFilter(watched, e);
}

void CravingWindow::tick() { renderAt(since_.elapsed()); }

void CravingWindow::showEvent(QShowEvent* e) {
    SideWindow::showEvent(e);
    // The five minutes run from the first time it is seen, also while it is
    // minimised; the picture catches up when it comes back.
    if (!since_.isValid()) since_.start();
    tick();
    if (!finished_) animation_.start();
}

void CravingWindow::hideEvent(QHideEvent* e) {
    animation_.stop();
    SideWindow::hideEvent(e);
}

void CravingWindow::closeEvent(QCloseEvent* e) {
    animation_.stop();
    SideWindow::closeEvent(e);
}

}  // namespace kemless

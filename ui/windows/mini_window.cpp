#include "windows/mini_window.h"

#include <QFontMetrics>
#include <algorithm>

#include "content/landmarks.h"
#include "desktop/accessibility.h"
#include "desktop/colors.h"
#include "desktop/twips.h"
#include "windows/widgets.h"

namespace kemless {
namespace {

// The widest line the summary can show: a large count with the widest
// landmark name, or a long elapsed time. The window is sized for it so no
// line is ever cut. Only the names that take the most room are measured:
// shaping all 708 would cost more than the rest of the start together.
int WidestLine(const QFontMetrics& fm) {
    int widest = fm.horizontalAdvance(QStringLiteral("卒煙からの日数： 99年 11ヶ月 30日 23時間 59分"));
    widest = std::max(widest,
                      fm.horizontalAdvance(QStringLiteral("卒煙日： 2026年 12月 31日（200本-2000円-中）")));
    const QString count = QStringLiteral("節煙本数： 9999999本 99999.99ｍ ");
    for (const char* name : WidestLandmarkNames(12))
        widest = std::max(widest, fm.horizontalAdvance(count + QString::fromUtf8(name)));
    return widest;
}

}  // namespace

MiniWindow::MiniWindow(QWidget* parent) : DisplayWindow(parent) {
    setObjectName(QStringLiteral("miniWindow"));
    setWindowTitle(QStringLiteral(" ケムレス mini mode"));
    DescribeWindow(this, WindowKind::Window, QStringLiteral("ケムレス　ミニサイズ"));
    setAutoFillBackground(true);
    // The window takes the keyboard itself, so the Menu key and Shift+F10
    // reach its menu: it has no other control that could.
    setFocusPolicy(Qt::StrongFocus);

    label_ = new ControlLabel(this);
    label_->setObjectName(QStringLiteral("summaryLabel"));
    label_->setAutoFillBackground(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setTextFormat(Qt::PlainText);
    label_->setHeading(QStringLiteral("卒煙の記録"));
    label_->setHeardOnChange(false);
    // The keyboard rests on the summary, so a screen reader reads the six
    // lines when the window comes up, however it came up; the keys it does
    // not use travel on to the window, and its ring shows that the window
    // has the keyboard.
    label_->setFocusPolicy(Qt::TabFocus);
    setFocusProxy(label_);
    connect(label_, &ControlLabel::rightPressed, this, &MiniWindow::popupAt);
    connect(label_, &ControlLabel::doubleClicked, this, &MiniWindow::hideRequested);
    setColors(Rgb(255, 192, 128), Rgb(255, 255, 255));

    // Help comes before the settings here, and the switch goes the other way.
    const MenuEntry standard{"standardSizeAction", "標準サイズで運転する", Action::SwitchSize};
    setPopupMenu({kCopy, kCopyShort, kOpenLink, kHelp, kSettings, kVersion, standard, kExit, kHideToTray,
                  kSeparator, kCraving, kRecord, kHealth, kPlan});
    // The designed size until the window is first shown: in the main-window
    // mode it is loaded hidden at every start and may never be shown.
    setFixedSize(Px(4230), Px(1320));
    label_->setGeometry(Px(120), Px(120), Px(4230 - 240), Px(1320 - 240));
}

void MiniWindow::setVisible(bool visible) {
    if (visible && !fitted_) {
        fitToText();
        fitted_ = true;
    }
    DisplayWindow::setVisible(visible);
}

void MiniWindow::fitToText() {
    // Designed 4230 x 1320 twips with the label at (120, 120); grown to fit
    // six lines of the widest text in the font actually used.
    const QFontMetrics fm(label_->font());
    const int margin = Px(120);
    const int textWidth = WidestLine(fm) + 4;
    const int textHeight = fm.lineSpacing() * 6 + 4;
    const int width = std::max(Px(4230), textWidth + 2 * margin);
    const int height = std::max(Px(1320), textHeight + 2 * margin);
    label_->setGeometry(margin, margin, width - 2 * margin, height - 2 * margin);
    setFixedSize(width, height);
}

void MiniWindow::setText(const QString& summary) {
    summary_ = summary;
    QString shown = summary;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList before = label_->text().split(QLatin1Char('\n'));
    const bool first = label_->text().isEmpty();
    label_->setText(shown);
    // Of a refresh, a screen reader hears only the lines that changed, and
    // only while the summary has the keyboard; all six when it comes to it.
    if (first || !label_->hasFocus()) return;
    QStringList changed;
    const QStringList after = shown.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < after.size(); ++i)
        if (i >= before.size() || before[i] != after[i]) changed << after[i];
    if (!changed.isEmpty()) Announce(this, changed.join(QLatin1Char('\n')));
}

QString MiniWindow::text() const { return summary_; }

void MiniWindow::setColors(Rgb backColor, Rgb foreColor) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(backColor));
    setPalette(pal);
    SetStoredColors(label_, backColor, foreColor);
}

QPoint MiniWindow::keyboardMenuAnchor() const { return {Px(120), Px(120)}; }

}  // namespace kemless

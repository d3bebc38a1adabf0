// The focus ring as the eye sees it, measured from a grab of every window at
// scale 1 and 2: Tab goes through every stop of the window, and at each one
// the control that has the keyboard gets a closed ring that stands at least
// 3:1 against the pixels on both sides of it, keeps a gap to what it marks
// (so it never touches the text of the control), and nothing else in the
// window changes.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "basics/contrast.h"
#include "desktop/focus_ring.h"
#include "desktop/twips.h"
#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/notice_window.h"
#include "forms/season.h"
#include "support/grab.h"
#include "support/session_fixture.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"
#include "windows/widgets.h"

using namespace kemless;

namespace {

using OpenWindow = std::function<QWidget*(SessionFixture&)>;

// A started quit in colours a user might choose: a dark line on the grey.
OptionSettings Colours(int windowMode) {
    OptionSettings o;
    o.windowMode = windowMode;
    o.backColor = BgrFromColor(QColor(0, 0, 128));
    o.foreColor = BgrFromColor(QColor(255, 255, 0));
    return o;
}

QWidget* StartedWith(SessionFixture& fx, int windowMode) {
    fx.writeStarted(SampleInitial(), Colours(windowMode));
    fx.start();
    return windowMode == 1 ? static_cast<QWidget*>(fx.session->miniWindow()) : fx.session->mainWindow();
}

QWidget* Settings(SessionFixture& fx) {
    StartedWith(fx, 0);
    fx.session->showSettingsDialogFromMain();
    return Window("settingsDialog");
}

QWidget* Setup(SessionFixture& fx) {
    fx.start();
    return Window("firstRunSetup");
}

QWidget* Ceremony(SessionFixture& fx) {
    auto* setup = qobject_cast<FirstRunSetup*>(Setup(fx));
    setup->perDayBox()->setText(QStringLiteral("20"));
    setup->priceBox()->setText(QStringLiteral("450"));
    setup->confirmButton()->click();
    return Window("startCeremony");
}

QWidget* Seasonal(SessionFixture& fx) {
    fx.clock.moment = {2026, 12, 25, 10, 0};
    auto* ceremony = qobject_cast<StartCeremony*>(Ceremony(fx));
    ceremony->startButton()->click();
    return Window("seasonalCeremony");
}

QWidget* Help(SessionFixture& fx) {
    StartedWith(fx, 0);
    fx.session->showHelp();
    return Window("helpWindow");
}

QWidget* Notice(SessionFixture& fx) {
    Settings(fx)->findChild<QPushButton*>(QStringLiteral("noticeButton"))->click();
    return Window("noticeWindow");
}

// Every control Tab reaches in `window`, from the one that has the keyboard.
QList<QWidget*> TabStops(QWidget* window) {
    QList<QWidget*> stops;
    QWidget* first = QApplication::focusWidget();
    if (first == nullptr) return stops;
    for (QWidget* w = first; stops.size() < 60;) {
        stops << w;
        QTest::keyClick(w, Qt::Key_Tab);
        w = QApplication::focusWidget();
        if (w == nullptr || w == first || w->window() != window) break;
    }
    return stops;
}

Rgb At(const QImage& image, QPoint p) {
    const QColor c = image.pixelColor(p);
    return {c.red(), c.green(), c.blue()};
}

}  // namespace

Q_DECLARE_METATYPE(OpenWindow)

class FocusRingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ShowFocusRings(); }

    void everyStopOfEveryWindowShowsARing_data() {
        QTest::addColumn<OpenWindow>("open");
        QTest::addColumn<qreal>("scale");
        const std::pair<const char*, OpenWindow> windows[] = {
            {"main window", [](SessionFixture& fx) { return StartedWith(fx, 0); }},
            {"mini window", [](SessionFixture& fx) { return StartedWith(fx, 1); }},
            {"settings dialog", Settings},
            {"first-run setup", Setup},
            {"start ceremony", Ceremony},
            {"seasonal ceremony", Seasonal},
            {"help", Help},
            {"notice", Notice},
        };
        for (const auto& [name, open] : windows)
            for (const qreal scale : {1.0, 2.0})
                QTest::addRow("%s at scale %g", name, scale) << open << scale;
    }

    void everyStopOfEveryWindowShowsARing() {
        QFETCH(OpenWindow, open);
        QFETCH(qreal, scale);
        SessionFixture fx;
        QWidget* window = open(fx);
        QVERIFY(window && window->isVisible());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        if (QApplication::focusWidget() == nullptr) QTest::keyClick(window, Qt::Key_Tab);
        const QList<QWidget*> stops = TabStops(window);
        QVERIFY2(!stops.isEmpty(), "no control takes the keyboard");

        const QRect inside = QRect(QPoint(0, 0), window->size() * scale);
        for (QWidget* stop : stops) {
            const QString what = stop->objectName() + QStringLiteral(" (") +
                                 QString::fromLatin1(stop->metaObject()->className()) + QLatin1Char(')');
            if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
            QCoreApplication::processEvents();
            const QImage without = GrabAtScale(window, scale);
            stop->setFocus(Qt::TabFocusReason);
            QVERIFY2(stop->hasFocus(), qPrintable(what));
            QCoreApplication::processEvents();
            const QImage with = GrabAtScale(window, scale);

            // In device pixels: what is marked, and the ring around it, with
            // the gap between them.
            const auto grown = [scale](const QRect& r, int by) {
                const int d = qRound(by * scale);
                return QRect(qRound(r.left() * scale), qRound(r.top() * scale), qRound(r.width() * scale),
                             qRound(r.height() * scale))
                    .adjusted(-d, -d, d, d);
            };
            const QRect marked = FocusMarkedArea(stop);
            const QRect gapOuter = grown(marked, kFocusRingGap);
            const QRect ringOuter = grown(marked, kFocusRingGap + kFocusRingWidth);
            const bool outside = inside.contains(ringOuter);
            const QColor ring = FocusRingColorFor(stop);
            const Rgb ringRgb{ring.red(), ring.green(), ring.blue()};

            // The ring: every pixel of the band in its colour, all the way
            // round (along the window's edge where it has no room outside).
            const QRect band = outside ? ringOuter : inside;
            const int w = qRound(kFocusRingWidth * scale);
            int ringPixels = 0;
            for (int x = band.left(); x <= band.right(); ++x)
                for (int y = band.top(); y <= band.bottom(); ++y) {
                    const bool inBand = x < band.left() + w || x > band.right() - w || y < band.top() + w ||
                                        y > band.bottom() - w;
                    if (!inBand) continue;
                    QVERIFY2(with.pixelColor(x, y) == ring,
                             qPrintable(QStringLiteral("%1: no ring at %2,%3").arg(what).arg(x).arg(y)));
                    // It stands out from what was there before, and from its
                    // neighbours on both sides.
                    QVERIFY2(
                        ContrastRatio(ringRgb, At(without, {x, y})) >= kFocusMarkContrast || !outside,
                        qPrintable(
                            QStringLiteral("%1: ring like the ground at %2,%3").arg(what).arg(x).arg(y)));
                    ++ringPixels;
                }
            QVERIFY2(ringPixels > 0, qPrintable(what));
            for (const QPoint& p :
                 {QPoint(band.center().x(), band.top() - 1), QPoint(band.center().x(), band.bottom() + 1),
                  QPoint(band.left() - 1, band.center().y()), QPoint(band.right() + 1, band.center().y()),
                  QPoint(band.center().x(), band.top() + w), QPoint(band.center().x(), band.bottom() - w),
                  QPoint(band.left() + w, band.center().y()), QPoint(band.right() - w, band.center().y())}) {
                if (!inside.contains(p)) continue;
                QVERIFY2(ContrastRatio(ringRgb, At(with, p)) >= kFocusMarkContrast,
                         qPrintable(QStringLiteral("%1: %2:1 beside the ring at %3,%4")
                                        .arg(what)
                                        .arg(ContrastRatio(ringRgb, At(with, p)), 0, 'f', 2)
                                        .arg(p.x())
                                        .arg(p.y())));
            }

            // Nothing outside the control changes but the ring, and the ring
            // keeps its gap: it never covers the control's own pixels.
            for (int x = 0; x < with.width(); ++x)
                for (int y = 0; y < with.height(); ++y) {
                    if (with.pixel(x, y) == without.pixel(x, y) || gapOuter.contains(x, y)) continue;
                    QVERIFY2(!outside || ringOuter.contains(x, y),
                             qPrintable(QStringLiteral("%1: changed at %2,%3").arg(what).arg(x).arg(y)));
                }
            // Where the ring runs along the window's edge over the control
            // (the guide fills its window), the text keeps off it.
            if (!outside) {
                auto* text = qobject_cast<QPlainTextEdit*>(stop);
                QVERIFY2(text, qPrintable(what));
                const QRect textArea = text->viewport()->geometry().marginsRemoved(
                    QMargins(1, 1, 1, 1) * int(text->document()->documentMargin()));
                QVERIFY(QRect(QPoint(0, 0), window->size())
                            .adjusted(kFocusRingWidth + kFocusRingGap, kFocusRingWidth + kFocusRingGap,
                                      -kFocusRingWidth - kFocusRingGap, -kFocusRingWidth - kFocusRingGap)
                            .contains(QRect(text->mapTo(window, textArea.topLeft()), textArea.size())));
            }
        }
    }

    // The ring follows the user's colours: on a dark window a light ring.
    void theRingStandsOutOnAnyGround_data() {
        QTest::addColumn<QColor>("ground");
        QTest::addRow("default grey") << QColor(192, 192, 192);
        QTest::addRow("dark blue") << QColor(0, 0, 128);
        QTest::addRow("mid grey") << QColor(128, 128, 128);
        QTest::addRow("white") << QColor(Qt::white);
        QTest::addRow("black") << QColor(Qt::black);
    }
    void theRingStandsOutOnAnyGround() {
        QFETCH(QColor, ground);
        SessionFixture fx;
        OptionSettings o = Colours(1);
        o.backColor = BgrFromColor(ground);
        fx.writeStarted(SampleInitial(), o);
        fx.start();
        MiniWindow* mini = fx.session->miniWindow();
        const QColor ring = FocusRingColorFor(mini->summaryLabel());
        QVERIFY(ContrastRatio({ring.red(), ring.green(), ring.blue()},
                              {ground.red(), ground.green(), ground.blue()}) >= kFocusMarkContrast);
    }
};

QTEST_MAIN(FocusRingTest)
#include "focus_ring_qtest.moc"

// The focus ring as the eye sees it, measured from a grab of every window at
// scale 1 and 2: Tab goes through every stop of the window, and at each one
// the control that has the keyboard gets a closed ring that stands at least
// 3:1 against the pixels on both sides of it, keeps a gap to what it marks
// (so it never touches the text of the control), and nothing else in the
// window changes; every pixel beside the mark stands 3:1 off one of its
// two colours. Each window is made alone, as the program makes it.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "basics/contrast.h"
#include "content/season.h"
#include "desktop/colors.h"
#include "desktop/focus_ring.h"
#include "desktop/twips.h"
#include "dialogs/ceremony.h"
#include "dialogs/craving_window.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/health_window.h"
#include "dialogs/help_window.h"
#include "dialogs/notice_window.h"
#include "dialogs/record_window.h"
#include "dialogs/settings_dialog.h"
#include "display/panel_texts.h"
#include "display/refresh.h"
#include "recovery/attempts.h"
#include "recovery/health_steps.h"
#include "support/fake_desktop.h"
#include "support/grab.h"
#include "support/records.h"
#include "support/shown_window.h"
#include "support/windows.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"
#include "windows/widgets.h"

using namespace kemless;

namespace {

// A started quit in colours a user might choose: a dark line on the grey.
OptionSettings Colours() {
    OptionSettings o;
    o.backColor = Rgb(0, 0, 128);
    o.foreColor = Rgb(255, 255, 0);
    return o;
}

// Each window as the program makes it, alone, with what it needs around it.
struct Scene {
    FakeClock clock;
    FakeDesktop desktop;
    std::optional<SeasonalGreeting> greeting;
    std::unique_ptr<ShownMainWindow> main;

    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    ~Scene() {
        main.reset();
        DeleteAllWindows();
    }
};
using OpenWindow = std::function<QWidget*(Scene&)>;

template <typename W>
W* Shown(W* window) {
    window->show();
    return window;
}

QWidget* Main(Scene& s) {
    s.main = std::make_unique<ShownMainWindow>(Colours());
    return &s.main->window;
}

MiniWindow* Mini(Scene& s, OptionSettings options = Colours()) {
    auto* mini = new MiniWindow;
    DisplayState display;
    RefreshDisplay(display, SampleInitial(), options, s.clock.moment, 50);
    mini->setText(QString::fromStdString(display.miniText));
    mini->setColors(options.backColor, options.foreColor);
    return Shown(mini);
}

QWidget* Settings(Scene& s) {
    return Shown(new SettingsDialog(s.clock, s.desktop, SampleInitial(), Colours()));
}

QWidget* Setup(Scene& s) { return Shown(new FirstRunSetup(s.desktop)); }

QWidget* Ceremony(Scene&) { return Shown(new StartCeremony); }

QWidget* Seasonal(Scene& s) {
    s.greeting = SeasonalGreetingFor(12, 25);
    return Shown(new SeasonalCeremony(&*s.greeting));
}

QWidget* Help(Scene&) { return Shown(new HelpWindow); }

QWidget* Notice(Scene& s) {
    Settings(s)->findChild<QPushButton*>(QStringLiteral("noticeButton"))->click();
    return Window("noticeWindow");
}

// The windows beside the display, each filled as the program fills it: a
// quit of some weeks with urges passed and a slip on the chart.
QWidget* Craving(Scene& s) {
    auto* w = new CravingWindow;
    DisplayState display;
    OptionSettings options = Colours();
    RefreshDisplay(display, SampleInitial(), options, s.clock.moment, 50);
    w->setFigures(WonSoFar(display));
    Shown(w);
    // Still, so that only the ring changes between two looks.
    w->animationTimer()->stop();
    return w;
}

const CalendarMoment kSideQuit{2026, 9, 21, 7, 45};
const CalendarMoment kSideNow{2026, 12, 10, 21, 30};

QWidget* Record(Scene&) {
    auto* w = new RecordWindow;
    std::vector<AttemptEvent> events{{{2026, 12, 1, 9, 0}, AttemptEventKind::UrgePassed, {}},
                                     {{2026, 12, 2, 9, 0}, AttemptEventKind::Slip, {}},
                                     {{2026, 12, 10, 8, 0}, AttemptEventKind::UrgePassed, {}}};
    w->render(MakeRecordView(SummariseAttempts(events, kSideQuit, kSideNow), RecordKeeping::ThisRun));
    return Shown(w);
}

QWidget* Health(Scene&) {
    auto* w = new HealthWindow;
    w->render(ComputeHealthTimeline(kSideQuit, kSideNow));
    return Shown(w);
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

Rgb At(const QImage& image, QPoint p) { return RgbOf(image.pixelColor(p)); }

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
            {"main window", Main},
            {"mini window", [](Scene& s) -> QWidget* { return Mini(s); }},
            {"settings dialog", Settings},
            {"first-run setup", Setup},
            {"start ceremony", Ceremony},
            {"seasonal ceremony", Seasonal},
            {"help", Help},
            {"notice", Notice},
            {"craving helper", Craving},
            {"record", Record},
            {"health timeline", Health},
        };
        for (const auto& [name, open] : windows)
            for (const qreal scale : {1.0, 2.0})
                QTest::addRow("%s at scale %g", name, scale) << open << scale;
    }

    void everyStopOfEveryWindowShowsARing() {
        QFETCH(OpenWindow, open);
        QFETCH(qreal, scale);
        Scene scene;
        QWidget* window = open(scene);
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
            const QRect ringOuter = grown(marked, kFocusMarkReach);
            // Room for the ring outside the control; its outer line may run
            // off the window's edge.
            const bool outside = inside.contains(grown(marked, kFocusRingGap + kFocusRingWidth));
            const QColor ring = FocusRingColorFor(stop);
            const QColor halo = FocusHaloColorFor(stop);
            // The two colours of the mark stand apart from each other.
            QVERIFY(ContrastRatio(RgbOf(ring), RgbOf(halo)) >= kFocusMarkContrast);

            // The mark, from the outside in: the contrasting line, the ring,
            // the contrasting line in the gap; all the way round (along the
            // window's edge where it has no room outside).
            const QRect band = outside ? ringOuter : inside;
            const QRect ringBand =
                band.adjusted(qRound(kFocusRingHalo * scale), qRound(kFocusRingHalo * scale),
                              -qRound(kFocusRingHalo * scale), -qRound(kFocusRingHalo * scale));
            const int w = qRound(kFocusRingWidth * scale);
            const QRect haloBand = ringBand.adjusted(w, w, -w, -w);
            const QRect markInside =
                haloBand.adjusted(qRound(kFocusRingGap * scale), qRound(kFocusRingGap * scale),
                                  -qRound(kFocusRingGap * scale), -qRound(kFocusRingGap * scale));
            int ringPixels = 0;
            for (int x = band.left(); x <= band.right(); ++x)
                for (int y = band.top(); y <= band.bottom(); ++y) {
                    if (markInside.contains(x, y) || !inside.contains(x, y)) continue;
                    const bool inRing = ringBand.contains(x, y) && !haloBand.contains(x, y);
                    QVERIFY2(
                        with.pixelColor(x, y) == (inRing ? ring : halo),
                        qPrintable(QStringLiteral("%1: no %2 at %3,%4")
                                       .arg(what, inRing ? QStringLiteral("ring") : QStringLiteral("line"))
                                       .arg(x)
                                       .arg(y)));
                    if (inRing) ++ringPixels;
                }
            QVERIFY2(ringPixels > 0, qPrintable(what));
            // Every pixel beside the mark, outside it and inside it, stands
            // 3:1 off one of its two colours: dark or light, the mark shows.
            const auto standsOut = [&](QPoint p) {
                if (!inside.contains(p)) return;
                const Rgb beside = At(with, p);
                const double best =
                    std::max(ContrastRatio(RgbOf(ring), beside), ContrastRatio(RgbOf(halo), beside));
                QVERIFY2(best >= kFocusMarkContrast,
                         qPrintable(QStringLiteral("%1: %2:1 beside the mark at %3,%4")
                                        .arg(what)
                                        .arg(best, 0, 'f', 2)
                                        .arg(p.x())
                                        .arg(p.y())));
            };
            for (const QRect& edge : {band.adjusted(-1, -1, 1, 1), markInside.adjusted(0, 0, 0, 0)}) {
                if (edge.isEmpty()) continue;
                for (int x = edge.left(); x <= edge.right(); ++x) {
                    standsOut({x, edge.top()});
                    standsOut({x, edge.bottom()});
                }
                for (int y = edge.top(); y <= edge.bottom(); ++y) {
                    standsOut({edge.left(), y});
                    standsOut({edge.right(), y});
                }
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
                            .adjusted(kFocusMarkReach, kFocusMarkReach, -kFocusMarkReach, -kFocusMarkReach)
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
        Scene scene;
        OptionSettings o = Colours();
        o.backColor = RgbOf(ground);
        MiniWindow* mini = Mini(scene, o);
        const QColor ring = FocusRingColorFor(mini->summaryLabel());
        QVERIFY(ContrastRatio(RgbOf(ring), RgbOf(ground)) >= kFocusMarkContrast);
        const QColor halo = FocusHaloColorFor(mini->summaryLabel());
        QVERIFY(ContrastRatio(RgbOf(ring), RgbOf(halo)) >= kFocusMarkContrast);
    }
};

QTEST_MAIN(FocusRingTest)
#include "focus_ring_qtest.moc"

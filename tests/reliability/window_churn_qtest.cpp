// A long-running program through its real windows: fifty years of the main
// window's ticks, and a thousand rounds of the settings dialog and of the
// switch between the main and the mini window. Nothing may pile up; the
// sanitizer build checks the same rounds for leaks.
#include <QApplication>
#include <QDir>
#include <QPixmapCache>
#include <QPointer>
#include <QScopeGuard>
#include <QtTest>
#include <cstdlib>
#include <memory>
#include <random>
#include <tuple>

#include "dialogs/settings_dialog.h"
#include "records/settings_store.h"
#include "session/session.h"
#include "support/fake_desktop.h"
#include "support/heap.h"
#include "support/session_fixture.h"
#include "support/tick.h"
#include "support/windows.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"

using namespace kemless;

namespace {

// Posted events (expose, update, deferred deletes) would pile up without an
// event loop and look like growth.
void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget* SettledWindow(const char* name) {
    Settle();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name)) return w;
    return nullptr;
}

// Every object that hangs from a top-level window, the windows included.
int LiveObjects() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += 1 + int(w->findChildren<QObject*>().size());
    return n;
}

// The number before `marker` in a caption, e.g. 9150 of "9150円（節税分 5307円）".
double NumberBefore(const QString& caption, const QString& marker) {
    const int at = int(caption.indexOf(marker));
    if (at < 0) return -1;
    int from = at;
    while (from > 0 && (caption[from - 1].isDigit() || caption[from - 1] == '.')) --from;
    return caption.mid(from, at - from).toDouble();
}

// A started program; its folder is in memory when it can be, since the
// thousand rounds below save option.ini twice each and durability is not
// what they test.
struct Program {
    FakeClock clock;
    FakeDesktop desktop;
    FakeProcess process;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Session> session;

    Program() {
        if (QDir(QStringLiteral("/dev/shm")).exists())
            dir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/kemless-churn-XXXXXX"));
        if (!dir || !dir->isValid()) dir = std::make_unique<QTemporaryDir>();
        OptionSettings o;
        o.showBoxCount = false;  // the count line then always starts with the cigarettes
        QVERIFY(WriteStartedRecord(SettingsStore(dir->path().toStdString()), SampleInitial(), o));
        clock.moment = {2026, 11, 1, 9, 0};
        session = std::make_unique<Session>(clock, desktop, process, dir->path().toStdString());
        session->start();
    }
    ~Program() {
        DeleteAllWindows();
        session.reset();
        Settle();
    }
};

}  // namespace

class WindowChurnTest : public QObject {
    Q_OBJECT

private slots:
    void fiftyYearsOfTicks();
    void aThousandRoundsOfDialogAndSwitches();
};

// A few hundred ticks of the main window's timer, the clock moving on by
// uneven steps over fifty years: the elapsed minutes, money, life and
// cigarette figures on the window never go down, and the mini window's text
// follows every tick.
void WindowChurnTest::fiftyYearsOfTicks() {
    Program p;
    Session& s = *p.session;
    MainWindow* w = s.mainWindow();
    QVERIFY(w && w->isVisible());
    std::mt19937 random(11);
    std::uniform_int_distribution<int> days(1, 120);
    int32_t lastMinutes = -1;
    double lastMoney = -1, lastCigarettes = -1;
    int32_t lastLife = -1;
    QString lastMini;
    int ticks = 0;
    while (p.clock.moment.year < 2076 || ticks < 300) {
        // Calendar days forward; day 31 of a short month is left to the clock.
        CalendarMoment& m = p.clock.moment;
        m.day += days(random);
        m.hour = (m.hour + 7) % 24;
        m.minute = (m.minute + 13) % 60;
        while (m.day > 28) {
            m.day -= 28;
            if (++m.month > 12) {
                m.month = 1;
                ++m.year;
            }
        }
        QVERIFY(Tick(s));
        ++ticks;
        const QString when =
            QStringLiteral("tick %1 at %2-%3-%4").arg(ticks).arg(m.year).arg(m.month).arg(m.day);
        const int32_t minutes = s.display().elapsedMinutes;
        const double money = NumberBefore(w->caption(kMoneyLabel), QStringLiteral("円（"));
        const double cigarettes = NumberBefore(w->caption(kUnsmokedLabel), QStringLiteral("本 "));
        const int32_t life = s.display().lifeMinutesGained;
        QVERIFY2(minutes > lastMinutes, qPrintable(when));
        QVERIFY2(money >= lastMoney && money >= 0, qPrintable(when));
        QVERIFY2(cigarettes >= lastCigarettes && cigarettes >= 0, qPrintable(when));
        QVERIFY2(life >= lastLife, qPrintable(when));
        // The mini window's text follows every tick: it has the main window's
        // money line, and it changed with the minutes.
        const QString mini = s.miniWindow()->text();
        QVERIFY2(mini.contains(QStringLiteral("節約できた金額： ") + w->caption(kMoneyLabel)),
                 qPrintable(when));
        QVERIFY2(mini != lastMini, qPrintable(when));
        lastMini = mini;
        lastMinutes = minutes;
        lastMoney = money;
        lastCigarettes = cigarettes;
        lastLife = life;
    }
    // Whole years on the calendar since 1 November 2026 at 9:00, counted
    // here by the clock's own date.
    const CalendarMoment& end = p.clock.moment;
    const bool beforeTheAnniversary =
        std::tuple(end.month, end.day, end.hour, end.minute) < std::tuple(11, 1, 9, 0);
    QCOMPARE(s.display().elapsed.years, end.year - 2026 - (beforeTheAnniversary ? 1 : 0));
    QVERIFY(s.display().elapsed.years >= 49);
    QVERIFY(w->isVisible());
}

// Settings dialog opened and cancelled from each window, and the switch to
// the mini window and back, a thousand times. Every round ends with the same
// windows and objects alive as the second one did, and the heap stays put.
void WindowChurnTest::aThousandRoundsOfDialogAndSwitches() {
    // Qt's style caches every drawing in its pixmap cache under keys made from
    // each new widget's palette; the cache (and its key strings) grows to its
    // own limit, so it is off here and only what our code holds is counted.
    const int cacheLimit = QPixmapCache::cacheLimit();
    QPixmapCache::setCacheLimit(0);
    auto restore = qScopeGuard([cacheLimit] { QPixmapCache::setCacheLimit(cacheLimit); });
    Program p;
    Session& s = *p.session;
    int windowsAfterFirst = 0;
    int objectsAfterFirst = 0;
    size_t heapAfterWarmUp = 0;
    for (int round = 1; round <= 1000; ++round) {
        const bool fromMini = round % 2 == 0;
        if (fromMini) {
            AskThrough(s.mainWindow(), &DisplayWindow::switchSizeRequested);
            QVERIFY(s.miniWindow() && s.miniWindow()->isVisible());
        }
        OpenSettings(s);
        QVERIFY(!s.mainWindow() && !s.miniWindow());
        auto* dialog = qobject_cast<SettingsDialog*>(SettledWindow("settingsDialog"));
        QVERIFY2(dialog, qPrintable(QStringLiteral("round %1").arg(round)));
        dialog->cancel();
        QVERIFY(!SettledWindow("settingsDialog"));
        if (fromMini) {
            QVERIFY(s.miniWindow() && s.miniWindow()->isVisible());
            AskThrough(s.miniWindow(), &DisplayWindow::switchSizeRequested);
        }
        QVERIFY(s.mainWindow() && s.mainWindow()->isVisible());
        QVERIFY(!s.miniWindow() || !s.miniWindow()->isVisible());
        AskThrough(s.mainWindow(), &DisplayWindow::switchSizeRequested);
        AskThrough(s.miniWindow(), &DisplayWindow::switchSizeRequested);
        Settle();

        const int windows = int(QApplication::topLevelWidgets().size());
        const int objects = LiveObjects();
        if (round == 2) {
            windowsAfterFirst = windows;
            objectsAfterFirst = objects;
        } else if (round > 2) {
            QVERIFY2(windows == windowsAfterFirst,
                     qPrintable(QStringLiteral("round %1: %2 windows, %3 after round 2")
                                    .arg(round)
                                    .arg(windows)
                                    .arg(windowsAfterFirst)));
            QVERIFY2(objects == objectsAfterFirst,
                     qPrintable(QStringLiteral("round %1: %2 objects, %3 after round 2")
                                    .arg(round)
                                    .arg(objects)
                                    .arg(objectsAfterFirst)));
        }
        if (round == 100) heapAfterWarmUp = HeapInUse();
    }
    const size_t heapAtEnd = HeapInUse();
    QVERIFY2(heapAtEnd < heapAfterWarmUp + 64 * 1024,
             qPrintable(QStringLiteral("heap %1 -> %2 bytes").arg(heapAfterWarmUp).arg(heapAtEnd)));
    // The files still hold a whole record after two thousand saves.
    QVERIFY(s.records().store().readOption());
    QVERIFY(s.records().store().readInitial());
}

QTEST_MAIN(WindowChurnTest)
#include "window_churn_qtest.moc"

// Renders the README's pictures of the windows with a fixed clock and sample
// settings, so they can be made again whenever the windows change:
//   build/kemless_screenshots docs
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <iterator>

#include "desktop/desktop.h"
#include "dialogs/craving_window.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/plan_window.h"
#include "dialogs/settings_dialog.h"
#include "figures/calendar.h"
#include "instance/process.h"
#include "plan/plan_file.h"
#include "records/clock.h"
#include "recovery/attempt_lines.h"
#include "recovery/attempts.h"
#include "session/session.h"
#include "ui_setup.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"

namespace {

class FixedClock : public kemless::Clock {
public:
    kemless::CalendarMoment now() override { return {2026, 12, 10, 21, 30}; }
    int draw() override { return 50; }
};

bool Save(QWidget* w, const QString& path) {
    w->show();
    QApplication::processEvents();
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kemless::SetUpApplication(app);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(out);

    QTemporaryDir dir;
    FixedClock clock;
    kemless::Desktop desktop;
    kemless::SettingsStore store(dir.path().toStdString());
    store.ensureDataFolder();
    kemless::InitialSettings initial;
    initial.quit = {2026, 9, 21, 7, 45};
    initial.cigarettesPerDay = 20;
    initial.packPrice = 580;
    kemless::OptionSettings options;
    options.quitStarted = true;
    options.copyPlusMode = 1;
    if (!store.writeInitial(initial) || !store.writeOption(options)) {
        std::fprintf(stderr, "kemless_screenshots: cannot write the sample record in %s\n",
                     qPrintable(dir.path()));
        return 1;
    }

    // A few weeks of urges passed, and one slip, in the journal, as the
    // program keeps them.
    std::vector<kemless::AttemptEvent> events;
    const kemless::CalendarMoment now = clock.now();
    const int daysBack[] = {25, 24, 24, 22, 20, 19, 19, 19, 15, 12, 9, 9, 6, 3, 1, 0};
    // What brought them on, where the user picked it, at the hours they came.
    const char* triggers[] = {"食後", "コーヒー", "",     "食後", "お酒", "食後", "ストレス", "",
                              "食後", "コーヒー", "食後", "",     "お酒", "食後", "コーヒー", ""};
    const int hoursBack[] = {8, 1, 14, 2, 0, 10, 5, 1, 3, 11, 2, 6, 0, 2, 8, 1};
    for (size_t i = 0; i < std::size(daysBack); ++i)
        events.push_back(
            {kemless::AddMinutes(now, -int64_t{daysBack[i]} * 1440 - 60 * hoursBack[i] - 30),
             daysBack[i] == 20 ? kemless::AttemptEventKind::Slip : kemless::AttemptEventKind::UrgePassed,
             {},
             triggers[i]});
    std::string journal;
    for (const kemless::AttemptEvent& e : events)
        journal += kemless::FormatJournalLine(kemless::AttemptJournalLine(e));
    QFile journalFile(dir.filePath(QStringLiteral("kemlessdata/journal.txt")));
    if (!journalFile.open(QIODevice::WriteOnly) ||
        journalFile.write(journal.data(), qint64(journal.size())) != qint64(journal.size())) {
        std::fprintf(stderr, "kemless_screenshots: cannot write the sample journal in %s\n",
                     qPrintable(dir.path()));
        return 1;
    }
    journalFile.close();

    // わたしの卒煙プラン: two reasons, two triggers with their plans, an
    // alarm for the evening and a reward.
    kemless::Plan plan;
    plan.reasons = {"家族のため", "走れるように"};
    plan.triggers = {{"食後", "歯をみがく"}, {"コーヒー", "水を一杯飲む"}};
    kemless::PlanAlarm evening;
    evening.hour = 21;
    evening.minute = 30;
    evening.trigger = "食後";
    evening.on = true;
    plan.alarms = {evening};
    plan.reward = kemless::Reward{"ロードバイク", 120000};
    const std::string planBytes = kemless::WritePlan(plan);
    QFile planFile(dir.filePath(QStringLiteral("kemlessdata/plan.ini")));
    if (!planFile.open(QIODevice::WriteOnly) ||
        planFile.write(planBytes.data(), qint64(planBytes.size())) != qint64(planBytes.size())) {
        std::fprintf(stderr, "kemless_screenshots: cannot write the sample plan in %s\n",
                     qPrintable(dir.path()));
        return 1;
    }
    planFile.close();

    kemless::Process process;
    kemless::Session session(clock, desktop, process, dir.path().toStdString());
    session.start();
    bool ok = Save(session.mainWindow(), out + QStringLiteral("/main-window.png"));
    ok &= Save(session.miniWindow(), out + QStringLiteral("/mini-window.png"));
    session.miniWindow()->hide();

    // The craving helper a minute and 23 seconds in, held still.
    session.openWindow(QString::fromLatin1(kemless::Session::kCravingName));
    session.cravingWindow()->animationTimer()->stop();
    session.cravingWindow()->renderAt(83'000);
    // With 食後 picked, its plan shown under the chips.
    session.cravingWindow()->planPart()->chip(0)->click();
    ok &= Save(session.cravingWindow(), out + QStringLiteral("/craving-window.png"));
    session.cravingWindow()->hide();
    session.openWindow(QString::fromLatin1(kemless::Session::kRecordName));
    ok &= Save(session.recordWindow(), out + QStringLiteral("/record-window.png"));
    session.recordWindow()->hide();
    session.openWindow(QString::fromLatin1(kemless::Session::kHealthName));
    ok &= Save(session.healthWindow(), out + QStringLiteral("/health-window.png"));
    session.healthWindow()->hide();
    session.openWindow(QString::fromLatin1(kemless::Session::kPlanName));
    ok &= Save(session.planWindow(), out + QStringLiteral("/plan-window.png"));
    session.planWindow()->hide();

    auto* settings = new kemless::SettingsDialog(clock, desktop, session.initial(), session.options());
    ok &= Save(settings, out + QStringLiteral("/settings-dialog.png"));
    settings->hide();

    auto* setup = new kemless::FirstRunSetup(desktop);
    setup->perDayBox()->setText(QStringLiteral("20"));
    setup->priceBox()->setText(QStringLiteral("580"));
    ok &= Save(setup, out + QStringLiteral("/first-run-setup.png"));
    return ok ? 0 : 1;
}

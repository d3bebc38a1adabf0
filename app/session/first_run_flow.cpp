#include "session/first_run_flow.h"

#include <optional>

#include "content/season.h"
#include "desktop/desktop.h"
#include "desktop/placement.h"
#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "records/clock.h"
#include "session/record_keeper.h"

namespace kemless {

FirstRunFlow::FirstRunFlow(Clock& clock, Desktop& desktop, RecordKeeper& keeper, QObject* parent)
    : QObject(parent), clock_(clock), desktop_(desktop), keeper_(keeper) {}

void FirstRunFlow::start() {
    auto* setup = new FirstRunSetup(desktop_);
    emit windowMade(setup);
    connect(setup, &FirstRunSetup::confirmed, this,
            [this, setup](int32_t perDay, int32_t price, int32_t size) {
                keeper_.takeSetup(perDay, price, size);
                auto* ceremony = new StartCeremony;
                emit windowMade(ceremony);
                connect(ceremony, &StartCeremony::startRequested, this,
                        [this, ceremony] { ceremonyConfirmed(ceremony); });
                sayWhenDeclined(ceremony);
                StandInPlaceOf(ceremony, setup);
                ceremony->show();
                setup->unload();
            });
    setup->show();
}

void FirstRunFlow::ceremonyConfirmed(DialogWindow* ceremony) {
    const CalendarMoment now = clock_.now();
    const std::optional<SeasonalGreeting> greeting = SeasonalGreetingFor(now.month, now.day);
    if (!greeting) {
        emit quitChosen(ceremony, now);
        return;
    }
    // The seasonal window completes the start with the minute of this click.
    auto* seasonal = new SeasonalCeremony(&*greeting);
    emit windowMade(seasonal);
    connect(seasonal, &SeasonalCeremony::confirmed, this,
            [this, seasonal, now] { emit quitChosen(seasonal, now); });
    sayWhenDeclined(seasonal);
    StandInPlaceOf(seasonal, ceremony);
    seasonal->show();
    ceremony->unload();
}

void FirstRunFlow::sayWhenDeclined(DialogWindow* ceremony) {
    // Said before the window goes, and the program with it.
    connect(ceremony, &DialogWindow::closed, this, [this, ceremony] {
        desktop_.information(ceremony, QStringLiteral("卒煙の開始"),
                             QString::fromUtf8(kCeremonyDeclinedWords));
    });
}

}  // namespace kemless

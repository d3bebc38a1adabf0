#include "display/refresh.h"

#include <algorithm>

#include "content/daily_messages.h"
#include "content/status_titles.h"
#include "content/unsmoked.h"
#include "display/copy_texts.h"
#include "display/milestones.h"
#include "figures/statistics.h"
#include "recovery/health_steps.h"

namespace kemless {

DuckStage ComputeDuckStage(int32_t d) {
    using enum Duck;
    DuckStage s;
    // One stage every 11 days; a quit moment after "now" is day 0.
    s.stage = std::clamp(d / 11, 0, 6);
    // Within the first three stages the bar counts the days of the stage.
    const int32_t dayOfStage = std::max(d, 0) - s.stage * 11;
    switch (s.stage) {
        case 0: s.progress = dayOfStage * 3; break;
        case 1:
            s.visible = {ViceCaptainArriving};
            s.progress = dayOfStage * 3;
            break;
        case 2:
            s.visible = {ViceCaptainArriving, CaptainArriving};
            s.progress = dayOfStage * 3;
            break;
        case 3: s.visible = {ViceCaptainArriving, KingArriving, CaptainArriving}; break;
        case 4: s.visible = {CaptainArriving, ViceCaptainPleased, KingArriving}; break;
        case 5: s.visible = {ViceCaptainPleased, CaptainPleased, KingArriving}; break;
        default: s.visible = {ViceCaptainPleased, KingPleased, CaptainPleased}; break;
    }
    s.raised = s.stage >= 3;
    s.hideBar = s.stage >= 3;
    return s;
}

Rgb LungColor(int32_t d) {
    // Days far beyond the table would overflow d * 10; the colour is pink
    // from day 39 on anyway.
    const int64_t v = int64_t{std::clamp(d, 0, 1000)} * 10 + 5;
    int64_t red = v;
    int64_t greenBlue = 0;
    if (v >= 256) {
        red = 255;
        greenBlue = v - 255;
    }
    if (greenBlue >= 140) greenBlue = 140;
    return Rgb(static_cast<int32_t>(red), static_cast<int32_t>(greenBlue), static_cast<int32_t>(greenBlue));
}

const char* LungWords(Rgb lungColor) {
    if (lungColor.green() == 0) return lungColor.red() < 128 ? "黒ずんだ赤" : "赤";
    return lungColor.green() < 140 ? "ピンクに近づく赤" : "きれいなピンク";
}

void RefreshDisplay(DisplayState& state, const InitialSettings& initial, OptionSettings& options,
                    const CalendarMoment& now, int draw) {
    // 1. Elapsed time; the line is always rewritten in its calendar form.
    const Elapsed elapsed = ComputeElapsed(initial.quit, now);
    state.elapsedMinutes = elapsed.minutes;
    state.elapsed = elapsed.time;
    state.captions[kElapsedLabel] = FormatElapsedFull(state.elapsed);

    // 2. Money, tax share and lifetime.
    options.taxRatePercent = RepairTaxRate(options.taxRatePercent);
    const QuitStatistics stats = ComputeStatistics(state.elapsedMinutes, initial.cigarettesPerDay,
                                                   initial.packPrice, options.taxRatePercent);
    state.captions[kMoneyLabel] = stats.moneyLine;
    state.lifeMinutesGained = stats.lifeMinutesGained;
    state.moneySaved = stats.moneySaved;
    state.captions[kLifeLabel] = stats.lifeLine;

    // 3. Cigarettes not smoked; one landmark lookup serves the line and the sentence.
    const UnsmokedFigures unsmoked =
        ComputeUnsmoked(state.elapsedMinutes, initial.cigarettesPerDay, initial.cigaretteSize);
    state.captions[kUnsmokedLabel] =
        FormatUnsmokedLine(unsmoked, initial.cigaretteSize, static_cast<bool>(options.showBoxCount));
    state.savingsSummary = AppendComparisonSentence(unsmoked, stats.savingsSummary);
    state.unsmokedCount = unsmoked.count;

    // 4. Message of the day, 5. status title.
    const int32_t days = ElapsedDays(state.elapsedMinutes);
    state.captions[kMessageLabel] = PickDailyMessage(days, state.elapsed.years, state.elapsed.months, draw);
    const StatusTitle title = ComputeStatusTitleAndRank(options.statusMode, days, state.elapsed.years);
    state.captions[kStatusLabel] = title.title;

    // 6. Lungs, 7. ducks and progress bar.
    state.lungColor = LungColor(days);
    state.lungWords = LungWords(state.lungColor);
    state.ducks = ComputeDuckStage(days);

    // 8. The mini window's text reads the toggle before 9. resets it.
    state.miniText = SummaryText(state, initial, options);
    state.showTotalDays = false;

    // The one reading of the clock everything of this refresh goes by.
    state.now = now;

    // What the milestones compare, from the figures above.
    MilestoneFigures& m = state.milestones;
    m.quit = initial.quit;
    m.cigarettesPerDay = initial.cigarettesPerDay;
    m.cigaretteSize = initial.cigaretteSize;
    m.statusMode = options.statusMode;
    m.title = state.captions[kStatusLabel];
    m.titleRank = title.rank;
    m.fullMonths = state.elapsed.years * 12 + state.elapsed.months;
    m.duckStage = state.ducks.stage;
    m.roundLengthMm = RoundLengthBelow(unsmoked.lengthMm);
    m.healthSteps = HealthStepsReached(initial.quit, now);
}

void ToggleElapsedForm(DisplayState& state) {
    state.showTotalDays = !state.showTotalDays;
    state.captions[kElapsedLabel] = state.showTotalDays
                                        ? FormatElapsedTotalDays(state.elapsedMinutes, state.elapsed)
                                        : FormatElapsedFull(state.elapsed);
}

}  // namespace kemless

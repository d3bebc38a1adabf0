#include "display/refresh.h"

#include <algorithm>

#include "content/daily_messages.h"
#include "content/status_titles.h"
#include "content/unsmoked.h"
#include "display/copy_texts.h"
#include "figures/statistics.h"

namespace kemless {

DuckStage ComputeDuckStage(int32_t d) {
    using enum Duck;
    DuckStage s;
    if (d >= 66) {
        s.visible = {ViceCaptainPleased, KingPleased, CaptainPleased};
    } else if (d >= 55) {
        s.visible = {ViceCaptainPleased, CaptainPleased, KingArriving};
    } else if (d >= 44) {
        s.visible = {CaptainArriving, ViceCaptainPleased, KingArriving};
    } else if (d >= 33) {
        s.visible = {ViceCaptainArriving, KingArriving, CaptainArriving};
    } else if (d >= 22) {
        s.visible = {ViceCaptainArriving, CaptainArriving};
        s.progress = (d - 22) * 3;
    } else if (d >= 11) {
        s.visible = {ViceCaptainArriving};
        s.progress = (d - 11) * 3;
    } else {
        // Never below zero: a quit moment after "now" is shown as day 0.
        s.progress = std::max(d, 0) * 3;
    }
    s.raised = d >= 33;
    s.hideBar = d >= 33;
    return s;
}

int32_t LungColor(int32_t d) {
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
    return static_cast<int32_t>(red + 256 * greenBlue + 65536 * greenBlue);
}

const char* LungWords(int32_t lungColor) {
    const int32_t red = lungColor & 0xFF;
    const int32_t green = (lungColor >> 8) & 0xFF;
    if (green == 0) return red < 128 ? "黒ずんだ赤" : "赤";
    return green < 140 ? "ピンクに近づく赤" : "きれいなピンク";
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
    state.captions[kLifeLabel] = stats.lifeLine;

    // 3. Cigarettes not smoked; one landmark lookup serves the line and the sentence.
    const UnsmokedFigures unsmoked =
        ComputeUnsmoked(state.elapsedMinutes, initial.cigarettesPerDay, initial.cigaretteSize);
    state.captions[kUnsmokedLabel] =
        FormatUnsmokedLine(unsmoked, initial.cigaretteSize, options.showBoxCount);
    state.savingsSummary = AppendComparisonSentence(unsmoked, stats.savingsSummary);

    // 4. Message of the day, 5. status title.
    const int32_t days = ElapsedDays(state.elapsedMinutes);
    state.captions[kMessageLabel] = PickDailyMessage(days, state.elapsed.years, state.elapsed.months, draw);
    state.captions[kStatusLabel] = ComputeStatusTitle(options.statusMode, days, state.elapsed.years);

    // 6. Lungs, 7. ducks and progress bar.
    state.lungColor = LungColor(days);
    state.lungWords = LungWords(state.lungColor);
    state.ducks = ComputeDuckStage(days);

    // 8. The mini window's text reads the toggle before 9. resets it.
    state.miniText = SummaryText(state, initial, options);
    state.showTotalDays = 0;
}

void ToggleElapsedForm(DisplayState& state) {
    if (state.showTotalDays == 0) {
        state.showTotalDays = 1;
        state.captions[kElapsedLabel] = FormatElapsedTotalDays(state.elapsedMinutes, state.elapsed);
    } else {
        state.showTotalDays = 0;
        state.captions[kElapsedLabel] = FormatElapsedFull(state.elapsed);
    }
}

}  // namespace kemless

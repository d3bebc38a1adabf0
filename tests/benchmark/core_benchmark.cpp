// Micro-benchmarks of the figures one refresh computes. Not part of ./test.
#include <benchmark/benchmark.h>

#include "display/refresh.h"
#include "figures/calendar.h"
#include "figures/statistics.h"

namespace kemless {
namespace {

void ElapsedAndStatistics(benchmark::State& state) {
    const CalendarMoment quit{2014, 1, 31, 9, 0};
    CalendarMoment now{2026, 12, 10, 8, 30};
    for (auto _ : state) {
        benchmark::DoNotOptimize(now);
        const Elapsed e = ComputeElapsed(quit, now);
        const QuitStatistics s = ComputeStatistics(e.minutes, 20, 300, 58);
        benchmark::DoNotOptimize(FormatElapsedFull(e.time));
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(ElapsedAndStatistics);

void WholeRefresh(benchmark::State& state) {
    InitialSettings initial;
    initial.quit = {2014, 1, 31, 9, 0};
    OptionSettings options;
    DisplayState display;
    for (auto _ : state) {
        RefreshDisplay(display, initial, options, {2026, 12, 10, 8, 30}, 42);
        benchmark::DoNotOptimize(display);
    }
}
BENCHMARK(WholeRefresh);

}  // namespace
}  // namespace kemless

BENCHMARK_MAIN();

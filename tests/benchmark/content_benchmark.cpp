// One lookup and one title are done on every 30-second refresh; both should
// stay far below a microsecond.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "content/landmarks.h"
#include "content/status_titles.h"
#include "content/unsmoked.h"

namespace kemless {
namespace {

void BM_LookupLandmark(benchmark::State& state) {
    double length = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LookupLandmark(length));
        // Walk the whole table so every branch of the search is taken.
        length = length < 9.0e8 ? length * 1.7 + 37.0 : 0.0;
    }
}
BENCHMARK(BM_LookupLandmark);

void BM_ComputeStatusTitle(benchmark::State& state) {
    const char* mode = kStatusModes[static_cast<std::size_t>(state.range(0))];
    int32_t days = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeStatusTitle(mode, days, days / 365));
        days = days < 400000 ? days * 3 + 1 : 0;
    }
}
BENCHMARK(BM_ComputeStatusTitle)->DenseRange(0, 3)->ArgName("mode");

// The whole unsmoked step of a refresh: figures, line and sentence.
void BM_UnsmokedTexts(benchmark::State& state) {
    int32_t minutes = 0;
    for (auto _ : state) {
        const UnsmokedFigures figures = ComputeUnsmoked(minutes, 20, 85);
        benchmark::DoNotOptimize(FormatUnsmokedLine(figures, 85, 1));
        benchmark::DoNotOptimize(AppendComparisonSentence(figures, ""));
        minutes = minutes < 50000000 ? minutes * 2 + 1 : 0;
    }
}
BENCHMARK(BM_UnsmokedTexts);

}  // namespace
}  // namespace kemless

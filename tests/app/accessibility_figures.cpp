// What the windows show for a record at this minute, for the accessibility
// test to hold against what a screen reader is told. One line each: the
// minute, the six value lines, the progress value, the mini window's
// summary with its line breaks written as \n, the elapsed-time line as a
// click switches it; then the craving helper's three figures as a reader
// hears them, and the health timeline's summary and its ten steps.
//
//     accessibility_figures initial.ini option.ini
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "display/panel_texts.h"
#include "display/refresh.h"
#include "records/settings_store.h"
#include "recovery/craving.h"
#include "recovery/health_steps.h"
#include "session/system_clock.h"

using namespace kemless;

static std::string Slurp(const char* path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const auto initial = ParseInitialFile(Slurp(argv[1]));
    auto options = ParseOptionFile(Slurp(argv[2]));
    if (!initial || !options) return 1;
    SystemClock clock;
    const CalendarMoment now = clock.now();
    DisplayState state;
    // The draw only varies messages of the first days and months; the test's
    // record is older than those.
    RefreshDisplay(state, *initial, *options, now, 0);
    std::printf("%04d-%02d-%02d %02d:%02d\n", now.year, now.month, now.day, now.hour, now.minute);
    for (const std::string& caption : state.captions) std::printf("%s\n", caption.c_str());
    std::printf("%d\n", state.ducks.progress);
    std::string mini;
    for (size_t i = 0; i < state.miniText.size(); ++i) {
        if (state.miniText.compare(i, 2, "\r\n") == 0) {
            mini += "\\n";
            ++i;
        } else {
            mini += state.miniText[i];
        }
    }
    std::printf("%s\n", mini.c_str());
    ToggleElapsedForm(state);
    std::printf("%s\n", state.captions[kElapsedLabel].c_str());
    for (const FigureLine& line : WonSoFar(state))
        std::printf("%s　%s\n", line.heading.c_str(), line.value.c_str());
    const HealthTimeline timeline = ComputeHealthTimeline(initial->quit, now);
    std::printf("%s\n", timeline.summary.c_str());
    for (const HealthStep& step : timeline.steps) std::printf("%s\n", step.spoken.c_str());
    return 0;
}

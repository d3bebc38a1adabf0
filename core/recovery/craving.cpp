#include "recovery/craving.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "basics/text.h"

namespace kemless {
namespace {

// Slow at both ends, like a breath: 0 at the start, 1000 at the end.
int32_t Eased(int64_t part, int64_t whole) {
    const double x = static_cast<double>(part) / static_cast<double>(whole);
    return static_cast<int32_t>(std::lround((1.0 - std::cos(std::numbers::pi * x)) / 2.0 * 1000.0));
}

}  // namespace

CravingMoment CravingAt(int64_t elapsedMs) {
    elapsedMs = std::max<int64_t>(elapsedMs, 0);
    CravingMoment m;
    if (elapsedMs >= kCravingMs) {
        m.finished = true;
        m.permille = 1000;
        m.countdown = "５分たちました";
        m.announce = true;
        return m;
    }
    const int64_t leftMs = kCravingMs - elapsedMs;
    m.secondsLeft = static_cast<int32_t>((leftMs + 999) / 1000);
    m.permille = static_cast<int32_t>(elapsedMs * 1000 / kCravingMs);
    m.countdown = "あと";
    m.announce = m.secondsLeft % 60 == 0;
    if (m.secondsLeft >= 60) {
        AppendFullWidth(m.countdown, m.secondsLeft / 60);
        m.countdown += "分";
    }
    if (m.secondsLeft % 60 != 0) {
        AppendFullWidth(m.countdown, m.secondsLeft % 60);
        m.countdown += "秒";
    }

    const int64_t inCycle = elapsedMs % (kBreathInMs + kBreathOutMs);
    if (inCycle < kBreathInMs) {
        m.breath = Breath::In;
        m.breathWord = "吸って";
        m.breathSize = Eased(inCycle, kBreathInMs);
        m.breathStep = 1000;
    } else {
        m.breath = Breath::Out;
        m.breathWord = "吐いて";
        m.breathSize = 1000 - Eased(inCycle - kBreathInMs, kBreathOutMs);
    }
    return m;
}

int32_t ReasonShownAt(int32_t count, int64_t elapsedMs) {
    if (count <= 0) return -1;
    return static_cast<int32_t>(std::max<int64_t>(elapsedMs, 0) / kReasonTurnMs % count);
}

}  // namespace kemless

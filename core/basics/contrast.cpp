#include "basics/contrast.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kemless {
namespace {

double Linear(int channel) {
    const double c = std::clamp(channel, 0, 255) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double WeakestContrast(Rgb ring, std::span<const Rgb> neighbours) {
    double weakest = std::numeric_limits<double>::infinity();
    for (const Rgb& n : neighbours) weakest = std::min(weakest, ContrastRatio(ring, n));
    return weakest;
}

}  // namespace

double RelativeLuminance(Rgb c) {
    return 0.2126 * Linear(c.red()) + 0.7152 * Linear(c.green()) + 0.0722 * Linear(c.blue());
}

double ContrastRatio(Rgb a, Rgb b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb FocusRingColor(std::span<const Rgb> neighbours) {
    // The blue is the program's own and stands 5:1 off the main window's
    // grey; white and black cover any colour the user gives the windows. It
    // is dark enough that any colour stands 3:1 off it or off white: the
    // ring with its white lines shows on whatever lies beside it.
    constexpr Rgb kCandidates[] = {{0x17, 0x46, 0x7E}, {255, 255, 255}, {0, 0, 0}};
    Rgb best = kCandidates[0];
    double bestWeakest = -1;
    for (const Rgb& candidate : kCandidates) {
        const double weakest = WeakestContrast(candidate, neighbours);
        if (weakest >= kFocusMarkContrast) return candidate;
        if (weakest > bestWeakest) {
            best = candidate;
            bestWeakest = weakest;
        }
    }
    return best;
}

}  // namespace kemless

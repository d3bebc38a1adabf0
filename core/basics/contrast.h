#pragma once
// How far apart two colours are for the eye, as WCAG 2 measures it: the
// contrast ratio of their relative luminances, from 1 (the same colour) to
// 21 (black on white).
#include <span>

#include "basics/rgb.h"

namespace kemless {

// 0 for black to 1 for white, from the sRGB channels.
double RelativeLuminance(Rgb c);
// (lighter + 0.05) / (darker + 0.05); the same whichever comes first.
double ContrastRatio(Rgb a, Rgb b);

// What a mark of the keyboard focus needs against what lies next to it.
inline constexpr double kFocusMarkContrast = 3.0;
// The colour of the focus ring among the colours `neighbours` (the window
// around it, and whatever else touches it): the program's dark blue where
// it stands out enough from all of them, else white, else black; where none
// does, the one whose weakest contrast is the strongest.
Rgb FocusRingColor(std::span<const Rgb> neighbours);

}  // namespace kemless

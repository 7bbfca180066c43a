#pragma once

#include "render/GdiTypes.h"

namespace parcelo {

// The contrast ratio of two colours as WCAG 2 defines it, from 1 (the same) to 21
// (black on white).
double ContrastRatio(ColorRef a, ColorRef b);

// `color` when it reads on `background` with at least `minimum` contrast; otherwise
// the same hue moved towards white or black, whichever reads better on the
// background, just far enough to reach the contrast (or as far as it goes).
ColorRef ReadableOn(ColorRef color, ColorRef background, double minimum = 4.5);

} // namespace parcelo

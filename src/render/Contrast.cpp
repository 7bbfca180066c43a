#include "render/Contrast.h"

#include <algorithm>
#include <cmath>

namespace parcelo {

namespace {

double Linear(uint32_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(ColorRef color) {
    return 0.2126 * Linear(RedOf(color)) + 0.7152 * Linear(GreenOf(color)) + 0.0722 * Linear(BlueOf(color));
}

ColorRef Mix(ColorRef from, ColorRef to, double share) {
    const auto channel = [share](uint32_t a, uint32_t b) {
        return static_cast<uint32_t>(std::lround(a + (static_cast<double>(b) - a) * share));
    };
    return Rgb(channel(RedOf(from), RedOf(to)), channel(GreenOf(from), GreenOf(to)), channel(BlueOf(from), BlueOf(to)));
}

} // namespace

double ContrastRatio(ColorRef a, ColorRef b) {
    const double first = Luminance(a);
    const double second = Luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

ColorRef ReadableOn(ColorRef color, ColorRef background, double minimum) {
    if (ContrastRatio(color, background) >= minimum) {
        return color;
    }
    const ColorRef white = Rgb(255, 255, 255);
    const ColorRef black = Rgb(0, 0, 0);
    const ColorRef towards = ContrastRatio(white, background) >= ContrastRatio(black, background) ? white : black;
    // Contrast grows steadily along the way, so halving finds the shortest move.
    double low = 0.0;
    double high = 1.0;
    for (int step = 0; step < 20; ++step) {
        const double middle = (low + high) / 2;
        (ContrastRatio(Mix(color, towards, middle), background) >= minimum ? high : low) = middle;
    }
    // Whole channel steps may round just below the contrast: go on until it holds.
    while (high < 1.0 && ContrastRatio(Mix(color, towards, high), background) < minimum) {
        high = std::min(1.0, high + 1.0 / 255);
    }
    return Mix(color, towards, high);
}

} // namespace parcelo

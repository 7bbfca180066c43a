#pragma once

#include <optional>
#include <string_view>

// The program scales every length given at 96 dots per inch itself:
// Scale(v) = (v * dpi + 48) / 96 in integer arithmetic, with the screen's
// logical dots per inch along x or y. Each drawing site keeps a DpiCache, which
// reads the screen once, on first use, and keeps the figures.
namespace parcelo {

struct ScreenDpi {
    int x = -1; // -1 when the screen could not be asked
    int y = -1;
    friend bool operator==(const ScreenDpi&, const ScreenDpi&) = default;
};

constexpr int ScaleLength(int value, int dpi) {
    return (value * dpi + 48) / 96;
}

// Parses a forced resolution as PARCELO_DPI gives it: "192" for both axes or
// "120x96" for x and y. Each figure must be a whole number from 1 to 9999.
std::optional<ScreenDpi> ParseDpiOverride(std::string_view text);

// The logical dots per inch of the primary screen, or of PARCELO_DPI when it is
// set and valid; {-1, -1} without a screen.
ScreenDpi ReadScreenDpi();

// Turns off Qt's own high-DPI scaling so that nothing scales the program's
// drawing a second time. Call before the QApplication is constructed.
void PrepareHighDpiEnvironment();

class DpiCache {
public:
    int ScaleX(int value) { return ScaleLength(value, Dpi().x); }
    int ScaleY(int value) { return ScaleLength(value, Dpi().y); }
    int DpiX() { return Dpi().x; }
    int DpiY() { return Dpi().y; }
    const ScreenDpi& Dpi();

private:
    std::optional<ScreenDpi> m_dpi;
};

} // namespace parcelo

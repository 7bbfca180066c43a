#pragma once

#include <optional>
#include <string_view>

// Every length the program gives at 96 dots per inch is scaled once, by one
// rule: its device length is Scale(v) = (v * dpi + 48) / 96 in integer
// arithmetic, with the screen's dots per inch in device pixels along x or y,
// and where Qt wants a logical length (widget geometry, painting) that device
// length is divided by the device pixel ratio Qt's own high-DPI scaling draws
// with. At 96 dpi and at 192 dpi with a ratio of 2 a logical length is the
// length given; Qt turns it into device pixels itself.
//
// The program keeps one figure of the screen, read once (CParceloApp reads it
// as the window is made); DpiCache objects are handles to it.
namespace parcelo {

constexpr int ScaleLength(int value, int dpi) {
    return (value * dpi + 48) / 96;
}

// A device length in logical pixels at a device pixel ratio, rounded to the nearest.
int LogicalLength(int deviceLength, double ratio);

struct ScreenDpi {
    int x = -1; // device dots per inch; -1 when the screen could not be asked
    int y = -1;
    double ratio = 1.0; // device pixels per logical pixel
    friend bool operator==(const ScreenDpi&, const ScreenDpi&) = default;

    // A length given at 96 dpi, in device pixels.
    int ScaleX(int value) const { return ScaleLength(value, x); }
    int ScaleY(int value) const { return ScaleLength(value, y); }
    // The same length in logical pixels.
    int LogicalX(int value) const { return LogicalLength(ScaleX(value), ratio); }
    int LogicalY(int value) const { return LogicalLength(ScaleY(value), ratio); }
};

// Parses a forced resolution as PARCELO_DPI gives it: "192" for both axes or
// "120x96" for x and y. Each figure must be a whole number from 1 to 9999.
std::optional<ScreenDpi> ParseDpiOverride(std::string_view text);

// The device dots per inch of the primary screen (its logical dots per inch
// times its device pixel ratio), or those of PARCELO_DPI when it is set and
// valid, with the screen's ratio; {-1, -1, 1} without a screen.
ScreenDpi ReadScreenDpi();

// Leaves Qt's high-DPI scaling on, so that the desktop's scale (X11's Xft.dpi
// or QT_SCALE_FACTOR, a Wayland output's scale) is honoured and text and
// pictures are drawn at the device pixel ratio. A resolution forced with
// PARCELO_DPI turns Qt's scaling off instead and sizes Qt's fonts at it, so
// that the program draws the device pixels of a screen of that resolution at a
// ratio of 1. Call before the QApplication is constructed.
void PrepareHighDpiEnvironment();

class DpiCache {
public:
    int ScaleX(int value) const { return Dpi().ScaleX(value); }
    int ScaleY(int value) const { return Dpi().ScaleY(value); }
    int LogicalX(int value) const { return Dpi().LogicalX(value); }
    int LogicalY(int value) const { return Dpi().LogicalY(value); }
    int DpiX() const { return Dpi().x; }
    int DpiY() const { return Dpi().y; }
    double Ratio() const { return Dpi().ratio; }
    const ScreenDpi& Dpi() const { return Program(); }

    // The program's figure, read from the screen the first time it is asked.
    static const ScreenDpi& Program();
    // Reads the figure anew: at start-up, and in tests that change PARCELO_DPI.
    static void Reread();
};

} // namespace parcelo

#include "render/qt/DpiCache.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>
#include <charconv>
#include <cmath>

namespace parcelo {
namespace {

constexpr char kDpiVariable[] = "PARCELO_DPI";

std::optional<int> ParseDpiFigure(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1 || value > 9999) {
        return std::nullopt;
    }
    return value;
}

std::optional<ScreenDpi> ForcedDpi() {
    if (!qEnvironmentVariableIsSet(kDpiVariable)) {
        return std::nullopt;
    }
    return ParseDpiOverride(qgetenv(kDpiVariable).toStdString());
}

} // namespace

std::optional<ScreenDpi> ParseDpiOverride(std::string_view text) {
    const std::size_t cross = text.find_first_of("xX");
    const std::optional<int> x = ParseDpiFigure(text.substr(0, cross));
    const std::optional<int> y = cross == std::string_view::npos ? x : ParseDpiFigure(text.substr(cross + 1));
    if (!x || !y) {
        return std::nullopt;
    }
    return ScreenDpi{*x, *y};
}

int LogicalLength(int deviceLength, double ratio) {
    return ratio > 0 ? static_cast<int>(std::lround(deviceLength / ratio)) : deviceLength;
}

ScreenDpi ReadScreenDpi() {
    const QScreen* screen = qGuiApp != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    if (std::optional<ScreenDpi> forced = ForcedDpi()) {
        forced->ratio = ratio;
        return *forced;
    }
    if (screen == nullptr) {
        return {};
    }
    return {static_cast<int>(std::lround(screen->logicalDotsPerInchX() * ratio)),
            static_cast<int>(std::lround(screen->logicalDotsPerInchY() * ratio)), ratio};
}

void PrepareHighDpiEnvironment() {
    // A forced resolution is drawn as it stands: nothing may scale it a second
    // time, and it sizes Qt's own fonts too, so that menus and dialog controls
    // grow with the program's drawing.
    if (const std::optional<ScreenDpi> forced = ForcedDpi()) {
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        qunsetenv("QT_SCALE_FACTOR");
        qunsetenv("QT_SCREEN_SCALE_FACTORS");
        qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
        qunsetenv("QT_USE_PHYSICAL_DPI");
        qputenv("QT_FONT_DPI", QByteArray::number(forced->y));
    }
}

namespace {
std::optional<ScreenDpi>& ProgramFigure() {
    static std::optional<ScreenDpi> figure;
    return figure;
}
} // namespace

const ScreenDpi& DpiCache::Program() {
    std::optional<ScreenDpi>& figure = ProgramFigure();
    if (!figure) {
        figure = ReadScreenDpi();
    }
    return *figure;
}

void DpiCache::Reread() {
    ProgramFigure() = ReadScreenDpi();
}

} // namespace parcelo

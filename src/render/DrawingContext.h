#pragma once

#include "render/GdiTypes.h"

#include <cstdint>
#include <string_view>

// The drawing services that layout and painting code use. Layout code sees only
// this interface; QtDrawingContext draws with QPainter, and the tests use a
// recording double with fixed metrics.
namespace parcelo {

// An opaque font owned by the drawing context that made it. None means no font.
enum class FontHandle : uintptr_t { None = 0 };

// A font's description. `height` below zero is a character height in pixels.
struct LogFont {
    int32_t height = 0;
    int32_t width = 0;
    int32_t weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    uint8_t charset = 0;
    uint8_t quality = 0;
    char16_t face[32] = {};
};

// A strip of equally sized images with transparency, such as the courier logos.
class ImageList {
public:
    virtual ~ImageList() = default;
    virtual int Count() const = 0;
    // The size of image `index`; false when the list has no such image.
    virtual bool GetImageSize(int index, Size& size) const = 0;
};

class DrawingContext {
public:
    virtual ~DrawingContext() = default;

    // Saves font, text colour and clip; RestoreState(id) returns to that state.
    virtual int SaveState() = 0;
    virtual void RestoreState(int state) = 0;

    virtual FontHandle StockSystemFont() = 0;
    // Selects `font` and returns the font that was selected before.
    virtual FontHandle SelectFont(FontHandle font) = 0;
    virtual bool DescribeFont(FontHandle font, LogFont& description) = 0;
    // A new font made from `description`, or FontHandle::None when it cannot be made.
    virtual FontHandle CreateFont(const LogFont& description) = 0;
    virtual void DeleteFont(FontHandle font) = 0;

    // Width and height of a run in the selected font.
    virtual Size MeasureText(std::u16string_view text) = 0;
    // Draws a run in `rect` with DT_* flags; with DT_CALCRECT only measures and
    // writes the needed size into `rect`. Returns the height of the text.
    virtual int DrawText(std::u16string_view text, Rect& rect, uint32_t format) = 0;

    virtual ColorRef GetTextColor() = 0;
    // Sets the text colour and returns the previous one.
    virtual ColorRef SetTextColor(ColorRef color) = 0;

    virtual Point GetCurrentPosition() = 0;
    virtual int HorizontalResolution() = 0;
    virtual Rect GetClipBox() = 0;

    virtual void FillRect(const Rect& rect, ColorRef color) = 0;
    virtual void DrawLine(Point from, Point to, ColorRef color, int width) = 0;
    virtual void DrawEdge(const Rect& rect, uint32_t edge, uint32_t sides) = 0;
    virtual void DrawFocusRect(const Rect& rect) = 0;
    // Draws image `index` of `images` with its transparent parts left out.
    virtual void DrawImage(const ImageList& images, int index, Point at) = 0;
};

} // namespace parcelo

#pragma once

#include "render/DrawingContext.h"

#include <QFont>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace parcelo {

struct QtFontData;

// The drawing context over a QPainter that is active on any device: a widget, a
// QImage or QPixmap for double buffering, or a 1x1 QImage for measuring only.
//
// Fonts are handles owned by the context; the ones it creates are released with
// it, the stock font never. Point sizes become pixels at the screen's dots per
// inch, so a memory image measures like the window it stands in for. Word
// widths are cached per font and text for the whole process, so a new context
// per paint still measures from the cache. User-interface thread only.
class QtDrawingContext final : public DrawingContext {
public:
    QtDrawingContext(QPainter& painter, const QFont& stockFont);
    ~QtDrawingContext() override;
    QtDrawingContext(const QtDrawingContext&) = delete;
    QtDrawingContext& operator=(const QtDrawingContext&) = delete;

    // Empties the process-wide measuring cache.
    static void ClearMeasureCache();

    int SaveState() override;
    void RestoreState(int state) override;

    FontHandle StockSystemFont() override;
    FontHandle SelectFont(FontHandle font) override;
    bool DescribeFont(FontHandle font, LogFont& description) override;
    FontHandle CreateFont(const LogFont& description) override;
    void DeleteFont(FontHandle font) override;

    Size MeasureText(std::u16string_view text) override;
    int DrawText(std::u16string_view text, Rect& rect, uint32_t format) override;

    ColorRef GetTextColor() override { return state_.color; }
    ColorRef SetTextColor(ColorRef color) override;
    // Text is drawn in its colour made readable on `background` (see ReadableOn), for a
    // background other than the one the colours were chosen for; std::nullopt draws the
    // colours as they are. GetTextColor keeps answering the colour that was set.
    void SetReadableOn(std::optional<ColorRef> background) { readableOn_ = background; }

    Point GetCurrentPosition() override { return position_; }
    int HorizontalResolution() override;
    Rect GetClipBox() override;

    void FillRect(const Rect& rect, ColorRef color) override;
    void DrawLine(Point from, Point to, ColorRef color, int width) override;
    void DrawEdge(const Rect& rect, uint32_t edge, uint32_t sides) override;
    void DrawFocusRect(const Rect& rect) override;
    void DrawImage(const ImageList& images, int index, Point at) override;

private:
    struct FontSlot {
        std::shared_ptr<const QtFontData> data; // null once deleted
        LogFont description;
    };
    struct State {
        FontHandle font = FontHandle::None;
        ColorRef color = 0;
    };
    struct TextLine {
        qsizetype start = 0;
        qsizetype length = 0;
        int width = 0;
    };

    const FontSlot* Find(FontHandle font) const;
    bool InUse(FontHandle font) const;
    const QtFontData& Current() const { return *fonts_[static_cast<size_t>(state_.font) - 1].data; }
    std::vector<TextLine> LayOutLines(const QString& text, int width, uint32_t format) const;
    void WrapParagraph(const QString& text, qsizetype start, qsizetype end, int width,
                       std::vector<TextLine>& lines) const;

    QPainter& painter_;
    std::vector<FontSlot> fonts_; // handle = index + 1; index 0 is the stock font
    std::vector<size_t> freeSlots_;
    std::vector<State> saved_;
    State state_;
    Point position_;
    std::optional<ColorRef> readableOn_;
};

} // namespace parcelo

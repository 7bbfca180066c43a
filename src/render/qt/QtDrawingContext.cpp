#include "render/qt/QtDrawingContext.h"

#include "platform/CharClass.h"
#include "platform/qt/QtText.h"
#include "render/Contrast.h"
#include "render/TextWidthCache.h"
#include "render/qt/QtImageList.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace parcelo {

namespace {

// Bounds of the measuring cache; when one is reached that part starts afresh. A list of
// 100,000 shipments holds about 200,000 distinct words, so a smaller bound would make
// every refresh of such a list measure each word again.
constexpr size_t MAX_CACHED_WIDTHS = 262144;
constexpr size_t MAX_CACHED_FONTS = 256;
// Only what is painted is shaped: a few screens' worth of words.
constexpr size_t MAX_CACHED_SHAPES = 8192;

} // namespace

// One font with its metrics and the widths measured in it so far, shared by
// every context that uses the same font.
struct QtFontData {
    explicit QtFontData(const QFont& qfont)
        : font(qfont), metrics(qfont), height(metrics.height()), ascent(metrics.ascent()), leading(metrics.leading()) {}

    int Width(std::u16string_view text) const;

    // A run of text shaped into glyphs, with the ascent of the line they were laid out on.
    struct Shaped {
        QList<QGlyphRun> runs;
        qreal ascent = 0;
    };
    // Drawing the cached glyphs gives the pixels drawText gives, except for the lines of
    // underlined or struck-out text, which such fonts draw with drawText.
    bool ShapesOnce() const { return !font.underline() && !font.strikeOut() && !font.overline(); }
    const Shaped& Shape(std::u16string_view text) const;

    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::u16string_view text) const { return std::hash<std::u16string_view>{}(text); }
    };

    QFont font;
    QFontMetrics metrics;
    // Asking the metrics looks the font engine up every time; these do not change.
    int height;
    int ascent;
    int leading;
    mutable TextWidthCache widths{MAX_CACHED_WIDTHS};
    // Shaping a word again at every paint costs more than drawing it.
    mutable std::unordered_map<std::u16string, Shaped, TextHash, std::equal_to<>> shapes;
};

namespace {

constexpr ColorRef EDGE_SHADOW = Rgb(0x80, 0x80, 0x80);

std::u16string_view ToView(const QString& text, qsizetype start, qsizetype length) {
    return {reinterpret_cast<const char16_t*>(text.constData()) + start, static_cast<size_t>(length)};
}

QColor ToQColor(ColorRef color) {
    return QColor(static_cast<int>(RedOf(color)), static_cast<int>(GreenOf(color)), static_cast<int>(BlueOf(color)));
}

int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Width and height that do not overflow for rectangles spanning the whole coordinate range.
int32_t WidthOf(const Rect& rect) {
    return Clamped(int64_t{rect.right} - rect.left);
}
int32_t HeightOf(const Rect& rect) {
    return Clamped(int64_t{rect.bottom} - rect.top);
}

QRect ToQRect(const Rect& rect) {
    return {rect.left, rect.top, WidthOf(rect), HeightOf(rect)};
}

std::u16string_view FaceOf(const LogFont& description) {
    const auto* end = std::find(std::begin(description.face), std::end(description.face), u'\0');
    return {description.face, static_cast<size_t>(end - description.face)};
}

struct DescriptionHash {
    size_t operator()(const LogFont& d) const {
        size_t hash = std::hash<std::u16string_view>{}(FaceOf(d));
        for (const int64_t field : {int64_t{d.height}, int64_t{d.width}, int64_t{d.weight}, int64_t{d.italic},
                                    int64_t{d.underline}, int64_t{d.charset}, int64_t{d.quality}}) {
            hash = hash * 31 + std::hash<int64_t>{}(field);
        }
        return hash;
    }
};

struct DescriptionEqual {
    bool operator()(const LogFont& a, const LogFont& b) const {
        return a.height == b.height && a.width == b.width && a.weight == b.weight && a.italic == b.italic &&
               a.underline == b.underline && a.charset == b.charset && a.quality == b.quality && FaceOf(a) == FaceOf(b);
    }
};

// The fonts measured so far in this process: the stock fonts by their Qt key,
// the created ones by their description.
class FontCache {
public:
    static FontCache& Instance() {
        static FontCache cache;
        return cache;
    }

    std::shared_ptr<const QtFontData> ForFont(const QFont& font) {
        return Lookup(byKey_, font.key(), [&] { return font; });
    }

    std::shared_ptr<const QtFontData> ForDescription(const LogFont& description) {
        return Lookup(byDescription_, description, [&] { return ToQFont(description); });
    }

    void Clear() {
        byKey_.clear();
        byDescription_.clear();
    }

private:
    template <typename Map, typename Key, typename MakeFont>
    static std::shared_ptr<const QtFontData> Lookup(Map& map, const Key& key, MakeFont makeFont) {
        if (auto found = map.find(key); found != map.end()) {
            return found->second;
        }
        if (map.size() >= MAX_CACHED_FONTS) {
            map.clear(); // handles in use keep their data alive
        }
        auto data = std::make_shared<const QtFontData>(makeFont());
        map.emplace(key, data);
        return data;
    }

    static QFont ToQFont(const LogFont& description) {
        QFont font;
        const std::u16string_view face = FaceOf(description);
        font.setFamily(QString(reinterpret_cast<const QChar*>(face.data()), static_cast<qsizetype>(face.size())));
        if (description.height != 0) {
            font.setPixelSize(std::abs(description.height));
        }
        if (description.weight > 0) {
            font.setWeight(static_cast<QFont::Weight>(std::clamp(description.weight, 1, 1000)));
        }
        font.setItalic(description.italic);
        font.setUnderline(description.underline);
        return font;
    }

    std::unordered_map<QString, std::shared_ptr<const QtFontData>> byKey_;
    std::unordered_map<LogFont, std::shared_ptr<const QtFontData>, DescriptionHash, DescriptionEqual> byDescription_;
};

// Point sizes turn into pixels at the screen's resolution, whatever the device
// painted on, so that measuring on a memory image agrees with painting on the window.
QFont InPixels(QFont font, const QPaintDevice* device) {
    if (font.pixelSize() <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const double dpi = screen != nullptr ? screen->logicalDotsPerInchY() : (device ? device->logicalDpiY() : 96);
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0))));
    }
    return font;
}

LogFont Describe(const QFont& font) {
    LogFont description;
    description.height = -font.pixelSize();
    description.weight = font.weight();
    description.italic = font.italic();
    description.underline = font.underline();
    const QString family = font.family();
    const auto length = std::min<qsizetype>(family.size(), std::size(description.face) - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(family.constData()), length, description.face);
    return description;
}

// "&x" shows as "x" and "&&" as "&", as in menu captions.
QString WithoutPrefixes(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
        }
        result.append(text[i]);
    }
    return result;
}

} // namespace

int QtFontData::Width(std::u16string_view text) const {
    if (const std::optional<int> found = widths.Find(text)) {
        return *found;
    }
    const int width = metrics.horizontalAdvance(
        QString::fromRawData(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size())));
    widths.Add(text, width);
    return width;
}

const QtFontData::Shaped& QtFontData::Shape(std::u16string_view text) const {
    if (auto found = shapes.find(text); found != shapes.end()) {
        return found->second;
    }
    QTextLayout layout(QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size())), font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    if (shapes.size() >= MAX_CACHED_SHAPES) {
        shapes.clear();
    }
    return shapes.emplace(std::u16string(text), Shaped{layout.glyphRuns(), line.isValid() ? line.ascent() : 0})
        .first->second;
}

QtDrawingContext::QtDrawingContext(QPainter& painter, const QFont& stockFont) : painter_(painter) {
    const QFont font = InPixels(stockFont, painter.device());
    fonts_.push_back({FontCache::Instance().ForFont(font), Describe(font)});
    state_.font = StockSystemFont();
}

QtDrawingContext::~QtDrawingContext() = default;

void QtDrawingContext::ClearMeasureCache() {
    FontCache::Instance().Clear();
}

// The painter's own state needs no saving: no call here leaves a clip, a font or a
// brush behind on it (DrawText and DrawFocusRect restore what they set, and every call
// that uses the pen sets it first), so font and colour are all there is to keep.
int QtDrawingContext::SaveState() {
    saved_.push_back(state_);
    return static_cast<int>(saved_.size());
}

void QtDrawingContext::RestoreState(int state) {
    const int depth = static_cast<int>(saved_.size());
    const int target = state < 0 ? depth + 1 + state : state;
    if (target < 1 || target > depth) {
        return;
    }
    state_ = saved_[static_cast<size_t>(target) - 1];
    saved_.resize(static_cast<size_t>(target) - 1);
}

FontHandle QtDrawingContext::StockSystemFont() {
    return static_cast<FontHandle>(1);
}

FontHandle QtDrawingContext::SelectFont(FontHandle font) {
    if (Find(font) == nullptr) {
        return FontHandle::None;
    }
    return std::exchange(state_.font, font);
}

bool QtDrawingContext::DescribeFont(FontHandle font, LogFont& description) {
    const FontSlot* slot = Find(font);
    if (slot == nullptr) {
        return false;
    }
    description = slot->description;
    return true;
}

FontHandle QtDrawingContext::CreateFont(const LogFont& description) {
    LogFont resolved = description;
    if (FaceOf(resolved).empty()) {
        std::copy(std::begin(fonts_[0].description.face), std::end(fonts_[0].description.face), resolved.face);
    }
    FontSlot slot{FontCache::Instance().ForDescription(resolved), description};
    if (freeSlots_.empty()) {
        fonts_.push_back(std::move(slot));
        return static_cast<FontHandle>(fonts_.size());
    }
    const size_t index = freeSlots_.back();
    freeSlots_.pop_back();
    fonts_[index] = std::move(slot);
    return static_cast<FontHandle>(index + 1);
}

// Like the platform, a font that is selected (now or in a saved state) is not deleted.
void QtDrawingContext::DeleteFont(FontHandle font) {
    if (font == StockSystemFont() || Find(font) == nullptr || InUse(font)) {
        return;
    }
    const size_t index = static_cast<size_t>(font) - 1;
    fonts_[index].data.reset();
    freeSlots_.push_back(index);
}

Size QtDrawingContext::MeasureText(std::u16string_view text) {
    const QtFontData& font = Current();
    return {font.Width(text), font.height};
}

int QtDrawingContext::DrawText(std::u16string_view text, Rect& rect, uint32_t format) {
    const QtFontData& font = Current();
    const QString shown = (format & DT_NOPREFIX) != 0 ? ToQString(text) : WithoutPrefixes(ToQString(text));
    const int lineHeight = font.height + ((format & DT_EXTERNALLEADING) != 0 ? font.leading : 0);
    const int rectWidth = WidthOf(rect);
    std::vector<TextLine> lines = LayOutLines(shown, rectWidth, format);
    const int blockHeight = static_cast<int>(lines.size()) * lineHeight;

    if ((format & DT_CALCRECT) != 0) {
        const auto widest = std::max_element(lines.begin(), lines.end(),
                                             [](const TextLine& a, const TextLine& b) { return a.width < b.width; });
        rect.right = Clamped(int64_t{rect.left} + widest->width);
        rect.bottom = Clamped(int64_t{rect.top} + blockHeight);
        return blockHeight;
    }

    int64_t y = rect.top;
    if ((format & DT_BOTTOM) != 0) {
        y = int64_t{rect.bottom} - blockHeight;
    } else if ((format & DT_VCENTER) != 0) {
        y = rect.top + (int64_t{HeightOf(rect)} - blockHeight) / 2;
    }
    painter_.save();
    if ((format & DT_NOCLIP) == 0) {
        painter_.setClipRect(ToQRect(rect), painter_.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    painter_.setFont(font.font);
    painter_.setPen(ToQColor(readableOn_ ? ReadableOn(state_.color, *readableOn_) : state_.color));
    for (const TextLine& line : lines) {
        QString part = shown.mid(line.start, line.length);
        int width = line.width;
        const bool elided = (format & DT_END_ELLIPSIS) != 0 && width > rectWidth;
        if (elided) {
            part = font.metrics.elidedText(part, Qt::ElideRight, std::max(rectWidth, 0));
            width = font.metrics.horizontalAdvance(part);
        }
        int64_t x = rect.left;
        if ((format & DT_RIGHT) != 0) {
            x = int64_t{rect.right} - width;
        } else if ((format & DT_CENTER) != 0) {
            x = rect.left + (int64_t{rectWidth} - width) / 2;
        }
        const int64_t baseline = y + font.ascent;
        if (elided || !font.ShapesOnce()) {
            painter_.drawText(QPoint(Clamped(x), Clamped(baseline)), part);
        } else {
            const QtFontData::Shaped& shaped = font.Shape(ToView(shown, line.start, line.length));
            const QPointF origin(static_cast<qreal>(Clamped(x)), static_cast<qreal>(Clamped(baseline)) - shaped.ascent);
            for (const QGlyphRun& run : shaped.runs) {
                painter_.drawGlyphRun(origin, run);
            }
        }
        y += lineHeight;
    }
    painter_.restore();
    return blockHeight;
}

ColorRef QtDrawingContext::SetTextColor(ColorRef color) {
    return std::exchange(state_.color, color);
}

int QtDrawingContext::HorizontalResolution() {
    const QPaintDevice* device = painter_.device();
    return device != nullptr ? device->width() : 0;
}

Rect QtDrawingContext::GetClipBox() {
    const QPaintDevice* device = painter_.device();
    const QRectF deviceRect(0, 0, device != nullptr ? device->width() : 0, device != nullptr ? device->height() : 0);
    QRectF box = painter_.transform().inverted().mapRect(deviceRect);
    if (painter_.hasClipping()) {
        box = box.intersected(painter_.clipBoundingRect());
    }
    return {static_cast<int32_t>(std::floor(box.left())), static_cast<int32_t>(std::floor(box.top())),
            static_cast<int32_t>(std::ceil(box.right())), static_cast<int32_t>(std::ceil(box.bottom()))};
}

void QtDrawingContext::FillRect(const Rect& rect, ColorRef color) {
    if (!rect.IsEmpty()) {
        painter_.fillRect(ToQRect(rect), ToQColor(color));
    }
}

void QtDrawingContext::DrawLine(Point from, Point to, ColorRef color, int width) {
    painter_.setPen(QPen(ToQColor(color), std::max(width, 1)));
    painter_.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
    position_ = to;
}

// A flat one-pixel line in the shadow grey on each requested side.
void QtDrawingContext::DrawEdge(const Rect& rect, uint32_t /*edge*/, uint32_t sides) {
    if (rect.IsEmpty()) {
        return;
    }
    const QColor shadow = ToQColor(EDGE_SHADOW);
    if ((sides & BF_LEFT) != 0) {
        painter_.fillRect(rect.left, rect.top, 1, rect.Height(), shadow);
    }
    if ((sides & BF_TOP) != 0) {
        painter_.fillRect(rect.left, rect.top, rect.Width(), 1, shadow);
    }
    if ((sides & BF_RIGHT) != 0) {
        painter_.fillRect(rect.right - 1, rect.top, 1, rect.Height(), shadow);
    }
    if ((sides & BF_BOTTOM) != 0) {
        painter_.fillRect(rect.left, rect.bottom - 1, rect.Width(), 1, shadow);
    }
}

void QtDrawingContext::DrawFocusRect(const Rect& rect) {
    if (rect.IsEmpty()) {
        return;
    }
    painter_.save();
    painter_.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1);
    painter_.restore();
}

void QtDrawingContext::DrawImage(const ImageList& images, int index, Point at) {
    const auto* list = dynamic_cast<const QtImageList*>(&images);
    if (list == nullptr || list->Image(index).isNull()) {
        return;
    }
    painter_.drawPixmap(at.x, at.y, list->Image(index));
}

const QtDrawingContext::FontSlot* QtDrawingContext::Find(FontHandle font) const {
    const size_t index = static_cast<size_t>(font) - 1;
    return index < fonts_.size() && fonts_[index].data != nullptr ? &fonts_[index] : nullptr;
}

bool QtDrawingContext::InUse(FontHandle font) const {
    return state_.font == font ||
           std::any_of(saved_.begin(), saved_.end(), [font](const State& state) { return state.font == font; });
}

// The lines of `text`: one with DT_SINGLELINE, otherwise one per line feed, and
// with DT_WORDBREAK also broken at white space to fit `width`.
std::vector<QtDrawingContext::TextLine> QtDrawingContext::LayOutLines(const QString& text, int width,
                                                                      uint32_t format) const {
    std::vector<TextLine> lines;
    if ((format & DT_SINGLELINE) != 0) {
        lines.push_back({0, text.size(), 0});
    } else {
        qsizetype start = 0;
        while (true) {
            const qsizetype feed = text.indexOf(u'\n', start);
            qsizetype end = feed < 0 ? text.size() : feed;
            if (end > start && text[end - 1] == u'\r') {
                --end;
            }
            if ((format & DT_WORDBREAK) != 0) {
                WrapParagraph(text, start, end, width, lines);
            } else {
                lines.push_back({start, end - start, 0});
            }
            if (feed < 0) {
                break;
            }
            start = feed + 1;
        }
    }
    for (TextLine& line : lines) {
        line.width = Current().Width(ToView(text, line.start, line.length));
    }
    return lines;
}

// Greedy breaking at white space; a word longer than the line keeps a line of
// its own and is clipped, as the platform does. The first line keeps any white
// space in front of it.
void QtDrawingContext::WrapParagraph(const QString& text, qsizetype start, qsizetype end, int width,
                                     std::vector<TextLine>& lines) const {
    const QtFontData& font = Current();
    const auto isSpace = [&](qsizetype i) { return IsPlatformSpace(text[i].unicode()); };
    qsizetype lineStart = start;
    qsizetype lineEnd = start;
    int lineWidth = 0;
    bool lineHasWord = false;
    qsizetype i = start;
    while (i < end) {
        const qsizetype gapStart = i;
        while (i < end && isSpace(i)) {
            ++i;
        }
        if (i == end) {
            break;
        }
        const qsizetype wordStart = i;
        while (i < end && !isSpace(i)) {
            ++i;
        }
        const int gap = font.Width(ToView(text, gapStart, wordStart - gapStart));
        const int word = font.Width(ToView(text, wordStart, i - wordStart));
        if (lineHasWord && lineWidth + gap + word > width) {
            lines.push_back({lineStart, lineEnd - lineStart, 0});
            lineStart = wordStart;
            lineWidth = word;
        } else {
            lineWidth += gap + word;
        }
        lineEnd = i;
        lineHasWord = true;
    }
    lines.push_back({lineStart, lineEnd - lineStart, 0});
}

} // namespace parcelo

// Lays out random markup with the recording drawing context, once measuring and
// once drawing, and checks that both agree and that the context is left as found.
// The same text, as the item name of a list item, must come out word for word as
// written, in the item's own colour and font.
//
// Input: 12 header bytes, then the text.
//   byte 0      bit 0 a rectangle is given, bit 1 negative count, bit 2 count far
//               beyond the text, bit 3 extreme rectangle, bit 4 font creation fails
//   byte 1      count relative to the text length (signed)
//   bytes 2-3   format flags
//   bytes 4-11  rectangle left, top, right, bottom (signed 16 bits each)
// Text bytes below 0x80 are themselves, 0x80 to 0xEF pick a unit from a table of
// interesting ones, 0xF0 and above take the next two bytes as a raw unit.
#include "list/ShipmentItemText.h"
#include "platform/CharClass.h"
#include "render/MarkupRenderer.h"
#include "support/FakeDrawingContext.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using parcelo::FakeDrawCall;
using parcelo::FakeDrawingContext;
using parcelo::Rect;

constexpr size_t HEADER_SIZE = 12;

// Hangul (the line-height sample among them), spaces of every kind, lone
// surrogates, and letters whose case folding is not plain ASCII.
constexpr std::array<char16_t, 16> SPECIAL_UNITS = {0xD75D, 0xAC00, 0x3000, 0x00A0, 0x2003, 0x0085, 0xD800, 0xDC00,
                                                    0xFEFF, 0xFFFF, 0x0000, 0x200B, 0x00E9, 0x0130, 0x212A, 0xFF1C};

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_markup: %s\n", what);
        std::abort();
    }
}

int16_t Read16(const uint8_t* data) {
    return static_cast<int16_t>(data[0] | (data[1] << 8));
}

std::u16string DecodeText(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        if (byte < 0x80) {
            text.push_back(byte);
        } else if (byte < 0xF0) {
            text.push_back(SPECIAL_UNITS[byte % SPECIAL_UNITS.size()]);
        } else if (i + 2 < size) {
            text.push_back(static_cast<char16_t>((data[i + 1] << 8) | data[i + 2]));
            i += 2;
        }
    }
    return text;
}

int32_t ClampToInt(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

void CheckLeftAsFound(const FakeDrawingContext& dc) {
    Check(dc.FontsAlive() == 0, "a created font was not deleted");
    Check(dc.Misuses() == 0, "a font or state was misused");
    Check(dc.SavedStates() == 0, "a saved state was not restored");
    Check(dc.SelectedFont() == dc.DefaultFont(), "the caller's font was not restored");
}

// The item name is the first line of an item in delivery, after the label "상품명:".
void CheckItemNameIsLiteral(const std::u16string& name) {
    parcelo::Shipment shipment;
    shipment.itemName = name;
    const std::u16string item = parcelo::FormatShipmentItem(shipment, nullptr, 0);
    FakeDrawingContext dc;
    Rect rect{0, 0, INT32_MAX, 0};
    parcelo::DrawMarkupText(&dc, item.c_str(), static_cast<int>(item.size()), &rect, 0);

    std::u16string expected = u"상품명:";
    for (const char16_t unit : name) {
        if (!parcelo::IsPlatformSpace(unit)) {
            expected += unit == u'\0' ? u'\uFFFD' : unit;
        }
    }
    std::u16string firstLine;
    for (const FakeDrawCall& call : dc.Calls()) {
        if (call.rect.top == 0) {
            firstLine += call.text;
            Check(call.color == 0 && call.font.weight == parcelo::FW_NORMAL && !call.font.italic &&
                      !call.font.underline && call.font.height == -FakeDrawingContext::DefaultFontHeight,
                  "the item name changed its colour or font");
        }
    }
    Check(firstLine == expected, "the item name was not drawn as written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::array<uint8_t, HEADER_SIZE> header{};
    std::copy_n(data, std::min(size, HEADER_SIZE), header.begin());
    const size_t headerSize = std::min(size, HEADER_SIZE);
    const std::u16string text = DecodeText(data + headerSize, size - headerSize);

    const uint8_t mode = header[0];
    int count = static_cast<int>(text.size()) + static_cast<int8_t>(header[1]);
    if ((mode & 2) != 0) {
        count = -1 - header[1];
    } else if ((mode & 4) != 0) {
        count = INT_MAX - header[1];
    }
    const auto format = static_cast<uint32_t>(Read16(&header[2])) & 0xFFFF;
    Rect rect{Read16(&header[4]), Read16(&header[6]), Read16(&header[8]), Read16(&header[10])};
    if ((mode & 8) != 0) {
        const auto offset = [&](size_t at) { return static_cast<uint16_t>(Read16(&header[at])); };
        rect = {INT32_MIN + offset(4), INT32_MAX - offset(6), INT32_MAX - offset(8), INT32_MIN + offset(10)};
    }
    const bool hasRect = (mode & 1) != 0;

    FakeDrawingContext measuring;
    FakeDrawingContext drawing;
    for (FakeDrawingContext* dc : {&measuring, &drawing}) {
        dc->SetCurrentPosition({rect.left, rect.top});
        dc->FailFontCreation((mode & 16) != 0);
    }
    Rect measured = rect;
    Rect drawn = rect;
    const int measuredResult = parcelo::DrawMarkupText(&measuring, text.c_str(), count, hasRect ? &measured : nullptr,
                                                       format | parcelo::DT_CALCRECT);
    const int drawnResult = parcelo::DrawMarkupText(&drawing, text.c_str(), count, hasRect ? &drawn : nullptr,
                                                    format & ~parcelo::DT_CALCRECT);

    Check(measuredResult == drawnResult, "measuring and drawing give different results");
    Check(measuring.Calls().empty(), "measuring drew something");
    Check(drawn == rect, "drawing changed the rectangle");
    CheckLeftAsFound(measuring);
    CheckLeftAsFound(drawing);
    if (hasRect) {
        int32_t right = rect.left;
        const int lineHeight = FakeDrawingContext::DefaultFontHeight;
        for (const FakeDrawCall& call : drawing.Calls()) {
            int64_t end = int64_t{call.rect.left} + FakeDrawingContext::Extent(call.font, call.text).cx;
            // A word wider than a wrapped line is drawn up to the line's edge, ending in "…".
            const int64_t lineWidth = int64_t{call.rect.right} - rect.left;
            if ((format & parcelo::DT_WORDBREAK) != 0 && end - call.rect.left > lineWidth) {
                end = std::max<int64_t>(call.rect.left, std::min<int64_t>(end, call.rect.right));
            }
            right = std::max(right, ClampToInt(end));
        }
        Check(measured.left == rect.left && measured.top == rect.top, "measuring moved the rectangle");
        Check(measured.right == right, "measured width differs from the drawn words");
        Check(measured.bottom == ClampToInt(int64_t{rect.top} + measuredResult + lineHeight),
              "measured height differs from the last line");
    }
    CheckItemNameIsLiteral(text);
    return 0;
}

// Whatever the user typed shows as typed and cannot restyle its item or the next.
#include "render/MarkupRenderer.h"
#include "list/ShipmentItemText.h"
#include "support/FakeDrawingContext.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace parcelo {
namespace {

// Each drawn run with where, in which colour and in which font it is drawn.
std::vector<std::u16string> DrawItem(const std::u16string& text) {
    FakeDrawingContext dc;
    Rect rect{0, 0, 2000, 100};
    DrawMarkupText(&dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_WORDBREAK);
    std::vector<std::u16string> runs;
    for (const FakeDrawCall& call : dc.TextCalls()) {
        const std::string where = "@" + std::to_string(call.rect.left) + "," + std::to_string(call.rect.top) + " #" +
                                  std::to_string(call.color) + " w" + std::to_string(call.font.weight) +
                                  (call.font.italic ? " i" : "") + (call.font.underline ? " u" : "");
        runs.push_back(call.text + std::u16string(where.begin(), where.end()));
    }
    return runs;
}

// `hostile` draws exactly like the same text with its markup characters swapped for harmless ones.
void ExpectDrawnLiterally(const std::u16string& hostile, int status) {
    Courier courier{};
    std::copy_n(u"A&<b>", 5, courier.name);
    Shipment shipment{0, hostile, hostile, 0, 0, status};
    const std::vector<std::u16string> drawn = DrawItem(FormatShipmentItem(shipment, &courier, 0));

    for (std::u16string* text : {&shipment.itemName, &shipment.invoiceNumber}) {
        std::replace(text->begin(), text->end(), u'<', u'{');
        std::replace(text->begin(), text->end(), u'&', u'}');
    }
    std::copy_n(u"A}{b>", 5, courier.name);
    std::vector<std::u16string> expected = DrawItem(FormatShipmentItem(shipment, &courier, 0));
    for (std::u16string& run : expected) {
        std::replace(run.begin(), run.end(), u'{', u'<');
        std::replace(run.begin(), run.end(), u'}', u'&');
    }
    EXPECT_EQ(drawn, expected) << testing::PrintToString(hostile);
}

TEST(ShipmentItemMarkup, UserTextIsDrawnLiterally) {
    for (const int status : {InDelivery, Done, Cancelled}) {
        for (const char16_t* name :
             {u"<b>A</b>", u"<font color=#aaaaaa>", u"a<br>b", u"x</font></font>y", u"&lt;b>&amp; <p>"}) {
            ExpectDrawnLiterally(name, status);
        }
    }
}

// A NUL in the name would end the item text for the renderer; the rest of the item stays.
TEST(ShipmentItemMarkup, NulInTheNameKeepsTheRestOfTheItem) {
    const Shipment shipment{0, u"12", std::u16string(u"a\0b", 3), 0, 0, InDelivery};
    const std::vector<std::u16string> runs = DrawItem(FormatShipmentItem(shipment, nullptr, 0));
    ASSERT_GE(runs.size(), 4u);
    EXPECT_EQ(runs[1].substr(0, 3), u"a\uFFFDb");
    EXPECT_EQ(runs[3].substr(0, 2), u"12");
}

} // namespace
} // namespace parcelo

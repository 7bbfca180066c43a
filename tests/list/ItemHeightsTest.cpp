#include "list/ItemHeights.h"

#include "list/ItemHeightsDriver.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace parcelo {
namespace {

// Random runs of appends, refills, width changes, measuring in view, around an item
// and in slices, each checked against the brute-force reference of the driver.
TEST(ItemHeightsTest, RandomOperationsKeepTheOffsetsAndHeightsOfTheReference) {
    std::mt19937 random(21);
    for (int run = 0; run < 300; ++run) {
        std::vector<uint8_t> bytes(std::uniform_int_distribution<size_t>(0, 2400)(random));
        for (uint8_t& byte : bytes) {
            byte = static_cast<uint8_t>(random());
        }
        EXPECT_EQ(testing::ItemHeightsDriver().Run(bytes.data(), bytes.size()), "") << "run " << run;
    }
}

// A refill of the same texts at the same width measures nothing again, whether the
// texts come with the items or later; a text that changed is measured anew.
TEST(ItemHeightsTest, ARefillMeasuresOnlyTheTextsThatChanged) {
    int longer = -1; // the item whose text grows
    const auto text = [&](int i) { return std::u16string(i % 13, u'x') + (i == longer ? u"longer" : u""); };
    ItemHeights heights([](const HTMLListItem& item) { return 20 + static_cast<int>(item.text.size()); });
    heights.SetTextProvider(text);
    const auto fill = [&](bool withText) {
        heights.Reset();
        for (int i = 0; i < 500; ++i) {
            HTMLListItem item;
            item.data = (int64_t{1} << 40) + i; // ids beyond 32 bits
            item.textPending = !withText;
            item.text = withText ? text(i) : std::u16string();
            heights.Append(std::move(item), 100);
        }
        while (heights.Unmeasured() > 0) {
            heights.Commit(heights.RefineSlice([] { return false; }));
        }
        return heights.MeasureCount();
    };
    EXPECT_EQ(fill(true), 500);
    EXPECT_EQ(fill(true), 500);
    EXPECT_EQ(fill(false), 500);
    longer = 7;
    EXPECT_EQ(fill(false), 501);
}

} // namespace
} // namespace parcelo

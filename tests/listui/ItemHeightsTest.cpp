#include "listui/ItemHeights.h"

#include "listui/ItemHeightsDriver.h"

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
        std::vector<uint8_t> bytes(std::uniform_int_distribution<size_t>(0, 1200)(random));
        for (uint8_t& byte : bytes) {
            byte = static_cast<uint8_t>(random());
        }
        testing::ItemHeightsDriver driver;
        driver.Run(bytes.data(), bytes.size(),
                   [&](const std::string& what) { FAIL() << "run " << run << ": " << what; });
    }
}

// A refill of the same items at the same width measures nothing again; items added
// without their text ask for it only when measured, and one whose text changed is
// measured anew.
TEST(ItemHeightsTest, ARefillReusesTheMeasuresOfTheSameTexts) {
    std::vector<std::u16string> texts(500);
    for (size_t i = 0; i < texts.size(); ++i) {
        texts[i] = std::u16string(i % 13, u'x');
    }
    int asked = 0;
    ItemHeights heights([](const HTMLListItem& item) { return 20 + static_cast<int>(item.text.size()); });
    heights.SetTextProvider([&](int i) {
        ++asked;
        return texts[static_cast<size_t>(i)];
    });
    const auto fill = [&](bool withText) {
        heights.Reset();
        for (size_t i = 0; i < texts.size(); ++i) {
            HTMLListItem item;
            item.data = (int64_t{1} << 40) + static_cast<int64_t>(i); // ids beyond 32 bits
            item.textPending = !withText;
            item.text = withText ? texts[i] : std::u16string();
            heights.Append(std::move(item), 100);
        }
        while (heights.Unmeasured() > 0) {
            heights.Commit(heights.RefineSlice([] { return false; }));
        }
    };
    fill(true);
    EXPECT_EQ(heights.MeasureCount(), 500);
    fill(true);
    fill(false);
    EXPECT_EQ(std::pair(heights.MeasureCount(), asked), std::pair(int64_t{500}, 500));

    texts[7] += u"longer";
    fill(false);
    EXPECT_EQ(heights.MeasureCount(), 501);
    EXPECT_EQ(heights.HeightOf(7), 20 + static_cast<int>(texts[7].size()));
}

} // namespace
} // namespace parcelo

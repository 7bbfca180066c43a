#include "render/TextWidthCache.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unordered_map>

namespace parcelo {
namespace {

// Against a map of the texts themselves, over random words (many repeated, some
// added again with a new width) and through the fresh starts at the bound.
TEST(TextWidthCacheTest, FindsWhatAMapOfTheTextsFinds) {
    constexpr size_t kBound = 3000;
    TextWidthCache cache(kBound);
    std::unordered_map<std::u16string, int> reference;
    std::mt19937 random(7);
    for (int step = 0; step < 40000; ++step) {
        std::u16string word(1 + random() % 12, u'a');
        for (char16_t& c : word) {
            c = static_cast<char16_t>(u'a' + random() % 6);
        }
        const std::optional<int> found = cache.Find(word);
        const auto known = reference.find(word);
        if (known != reference.end()) {
            ASSERT_EQ(found, known->second) << "step " << step;
        } else {
            ASSERT_FALSE(found.has_value()) << "step " << step;
        }
        if (!found || random() % 16 == 0) {
            if (reference.size() >= kBound) {
                reference.clear(); // the cache starts afresh at its bound
            }
            const int width = static_cast<int>(random() % 500);
            cache.Add(word, width);
            reference[word] = width;
        }
        ASSERT_EQ(cache.Size(), reference.size());
    }
}

} // namespace
} // namespace parcelo

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace parcelo {

// Widths of measured texts, found by a 64-bit hash of the text rather than the text
// itself: twelve bytes a slot, kept at most half full. Two texts share a width only if
// their hashes collide, about once in 10^8 lists of 200,000 distinct words. When
// `capacity` texts are in, the cache starts afresh.
class TextWidthCache {
public:
    explicit TextWidthCache(size_t capacity) : m_capacity(capacity) {}

    std::optional<int> Find(std::u16string_view text) const;
    void Add(std::u16string_view text, int width);
    size_t Size() const { return m_size; }

private:
    static uint64_t HashOf(std::u16string_view text);
    size_t SlotOf(uint64_t hash) const;
    void Grow();

    size_t m_capacity;
    size_t m_size = 0;
    std::vector<uint64_t> m_hashes; // 0 for a free slot
    std::vector<int32_t> m_widths;
};

} // namespace parcelo

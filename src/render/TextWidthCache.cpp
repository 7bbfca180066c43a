#include "render/TextWidthCache.h"

#include <algorithm>
#include <functional>

namespace parcelo {

uint64_t TextWidthCache::HashOf(std::u16string_view text) {
    const uint64_t hash = std::hash<std::u16string_view>{}(text);
    return hash != 0 ? hash : 1; // 0 marks a free slot
}

// The slot that holds `hash`, or the free one where it would go.
size_t TextWidthCache::SlotOf(uint64_t hash) const {
    const size_t mask = m_hashes.size() - 1;
    size_t slot = static_cast<size_t>(hash * 0x9E3779B97F4A7C15ULL >> 20) & mask;
    while (m_hashes[slot] != 0 && m_hashes[slot] != hash) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

std::optional<int> TextWidthCache::Find(std::u16string_view text) const {
    if (m_size == 0) {
        return std::nullopt;
    }
    const uint64_t hash = HashOf(text);
    const size_t slot = SlotOf(hash);
    if (m_hashes[slot] != hash) {
        return std::nullopt;
    }
    return m_widths[slot];
}

void TextWidthCache::Add(std::u16string_view text, int width) {
    if (m_size >= m_capacity) {
        m_hashes.clear();
        m_widths.clear();
        m_size = 0;
    }
    if ((m_size + 1) * 2 > m_hashes.size()) {
        Grow();
    }
    const uint64_t hash = HashOf(text);
    const size_t slot = SlotOf(hash);
    if (m_hashes[slot] == 0) {
        m_hashes[slot] = hash;
        ++m_size;
    }
    m_widths[slot] = static_cast<int32_t>(width);
}

void TextWidthCache::Grow() {
    std::vector<uint64_t> hashes(std::max<size_t>(m_hashes.size() * 2, 256));
    std::vector<int32_t> widths(hashes.size());
    hashes.swap(m_hashes);
    widths.swap(m_widths);
    for (size_t i = 0; i < hashes.size(); ++i) {
        if (hashes[i] != 0) {
            const size_t slot = SlotOf(hashes[i]);
            m_hashes[slot] = hashes[i];
            m_widths[slot] = widths[i];
        }
    }
}

} // namespace parcelo

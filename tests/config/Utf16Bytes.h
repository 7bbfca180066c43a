#pragma once

#include <string>
#include <string_view>

namespace parcelo::test {

// The bytes of `text` as a UTF-16 file: the byte-order mark, then each unit in that order.
inline std::string Utf16Bytes(std::u16string_view text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

} // namespace parcelo::test

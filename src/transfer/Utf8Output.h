#pragma once

#include "platform/CodePage.h"

#include <string>
#include <string_view>

namespace parcelo {

// Calls `visit(codePoint)` for each code point of UTF-16 text; a lone surrogate, which
// has no UTF-8 form, is visited as U+FFFD.
template <typename Visit> void ForEachCodePoint(std::u16string_view text, Visit&& visit) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        visit(cp);
    }
}

// The text as a JSON string literal, quotes included.
void AppendJsonString(std::string& out, std::u16string_view text);

} // namespace parcelo

#pragma once

#include <optional>
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

// Appends one code point (at most U+10FFFF, not a surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-16 to UTF-8 only where the text has an exact UTF-8 form: std::nullopt for a
// lone surrogate.
std::optional<std::string> Utf16ToUtf8Exactly(std::u16string_view text);

} // namespace parcelo

#pragma once

#include <string_view>

namespace parcelo {

// The space class used by the INI reader, the courier table and the markup
// renderer: the C locale's white space plus the Unicode space separators
// (U+3000 ideographic space among them), as a wide-character iswspace does.
constexpr bool IsPlatformSpace(char16_t c) {
    switch (c) {
    case u'\t':
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case u' ':
    case u'\u0085':
    case u'\u00A0':
    case u'\u1680':
    case u'\u2028':
    case u'\u2029':
    case u'\u202F':
    case u'\u205F':
    case u'\u3000':
        return true;
    default:
        return c >= u'\u2000' && c <= u'\u200A';
    }
}

// `text` without the characters `drop` accepts at either end.
template <typename Drop> constexpr std::u16string_view TrimWhere(std::u16string_view text, Drop drop) {
    while (!text.empty() && drop(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && drop(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// `text` without platform spaces at either end.
constexpr std::u16string_view TrimSpaces(std::u16string_view text) {
    return TrimWhere(text, IsPlatformSpace);
}

} // namespace parcelo

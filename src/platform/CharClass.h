#pragma once

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

} // namespace parcelo

#include "platform/TextFolding.h"

#include "platform/CharClass.h"

namespace parcelo {

char16_t FoldLatinCase(char16_t c) {
    if (c < 0x80) {
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
    }
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0xFF21 && c <= 0xFF3A)) {
        return static_cast<char16_t>(c + 0x20);
    }
    return c;
}

bool IsBlankOrHyphen(char16_t c) {
    switch (c) {
    case u'-':
    case u'\u00AD': // soft hyphen
    case u'\u2212': // minus sign
    case u'\uFF0D': // full-width hyphen-minus
        return true;
    default:
        return (c >= u'\u2010' && c <= u'\u2015') || IsPlatformSpace(c);
    }
}

std::u16string FoldedName(std::u16string_view name) {
    std::u16string key(TrimSpaces(name));
    for (char16_t& c : key) {
        c = FoldLatinCase(c);
    }
    return key;
}

std::u16string NormaliseInvoiceNumber(std::u16string_view number) {
    std::u16string key;
    key.reserve(number.size());
    for (const char16_t c : number) {
        if (IsBlankOrHyphen(c)) {
            continue;
        }
        const char16_t lower = FoldLatinCase(c);
        // Back to capitals: the small letters that folding produced, and the ASCII ones.
        const bool small = (lower >= u'a' && lower <= u'z') || (lower >= 0xE0 && lower <= 0xFE && lower != 0xF7) ||
                           (lower >= 0xFF41 && lower <= 0xFF5A);
        if (small) {
            key.push_back(static_cast<char16_t>(lower - 0x20));
        } else {
            key.push_back(c);
        }
    }
    return key;
}

} // namespace parcelo

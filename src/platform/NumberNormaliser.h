#pragma once

#include "platform/CharClass.h"
#include "platform/Translation.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace parcelo {

// Hyphens and dashes that people and shop pages put between groups of digits:
// the ASCII hyphen-minus, the Unicode hyphens and dashes, the minus sign, and their
// small and full-width forms.
constexpr bool IsNumberDash(char16_t c) {
    switch (c) {
    case u'-':
    case u'\u00AD': // soft hyphen
    case u'\u2010':
    case u'\u2011':
    case u'\u2012':
    case u'\u2013':
    case u'\u2014':
    case u'\u2015':
    case u'\u2212': // minus sign
    case u'\uFE58':
    case u'\uFE63':
    case u'\uFF0D':
        return true;
    default:
        return false;
    }
}

// Blanks that never belong to a number: the platform's white space and the
// zero-width characters that copied web text often carries.
constexpr bool IsNumberBlank(char16_t c) {
    return IsPlatformSpace(c) || c == u'\u200B' || c == u'\u200C' || c == u'\u200D' || c == u'\u2060' || c == u'\uFEFF';
}

// An ASCII or full-width decimal digit.
constexpr bool IsNumberDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'\uFF10' && c <= u'\uFF19');
}

// An ASCII or full-width Latin letter.
constexpr bool IsNumberLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'\uFF21' && c <= u'\uFF3A') ||
           (c >= u'\uFF41' && c <= u'\uFF5A');
}

// The full-width forms of ASCII (digits, letters, punctuation) become ASCII and
// Latin letters upper case; any other character is returned unchanged.
constexpr char16_t FoldNumberChar(char16_t c) {
    if (c >= u'\uFF01' && c <= u'\uFF5E') {
        c = static_cast<char16_t>(c - u'\uFF01' + u'!');
    }
    if (c >= u'a' && c <= u'z') {
        c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return c;
}

// The form of an invoice number used for matching it against the courier rules:
// blanks and dashes removed, full-width digits and letters made ASCII, Latin
// letters upper case; other characters are kept. The number the user typed is
// stored as typed: this form is only for matching.
std::u16string NormaliseNumber(std::u16string_view typed);

// The longest invoice number kept, counted in its normalised form: real numbers have
// about 30 characters at most, so anything longer is pasted text, not a number.
inline constexpr size_t kMaxInvoiceNumberLength = 40;
// What the user is told of a number longer than that (looked up with Translate in
// the context "NumberNormaliser").
inline constexpr char16_t kInvoiceNumberTooLongText[] = PARCELO_TR_NOOP(
    "NumberNormaliser", "송장번호가 너무 깁니다. 송장번호는 공백과 하이픈을 빼고 40자까지 입력할 수 있습니다.");

// True when the number, normalised, is longer than kMaxInvoiceNumberLength.
bool IsInvoiceNumberTooLong(std::u16string_view typed);

} // namespace parcelo

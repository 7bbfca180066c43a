#pragma once

#include <string>
#include <string_view>

namespace parcelo {

// What the find box compares a shipment with, prepared once per shipment so that a
// search over many shipments only compares. Build it again when the shipment changes.
struct ShipmentSearchKey {
    // One searchable text: the folded text and, for initial-consonant search, the same
    // text without blanks together with its initials (each Hangul syllable replaced by
    // the compatibility jamo of its initial consonant, everything else as in `compact`).
    struct Text {
        std::u16string folded;   // Latin letters in small letters
        std::u16string compact;  // `folded` without blanks
        std::u16string initials; // as long as `compact`
    };

    Text item;
    Text courier;
    std::u16string invoice; // NormaliseInvoiceNumber

    static ShipmentSearchKey Make(std::u16string_view courierName, std::u16string_view invoiceNumber,
                                  std::u16string_view itemName);
    static Text MakeText(std::u16string_view text);
};

// The compatibility jamo (U+3131 ...) of the initial consonant of a precomposed Hangul
// syllable (U+AC00 to U+D7A3), or 0 for any other character.
char16_t HangulInitial(char16_t syllable);

// True for the 19 compatibility jamo that can begin a syllable (ㄱ ㄲ ㄴ ... ㅎ).
bool IsInitialConsonantJamo(char16_t c);

} // namespace parcelo

#pragma once

#include "list/ShipmentSearchKey.h"

#include <string>
#include <string_view>

namespace parcelo {

// The find rule of the shipment list. Prepared once from the text the user typed, then
// asked about any number of shipments (through their ShipmentSearchKey).
//
// A shipment matches when the query is found in its item name, its courier name or its
// invoice number:
// - Latin letters ignore case everywhere; blanks at either end of the query are ignored.
// - Invoice numbers are compared without blanks and hyphens on both sides
//   ("1234 5678" finds "1234-5678-90").
// - A query holding initial-consonant jamo (ㄱ ㄲ ㄴ ... ㅎ) is an initial-consonant
//   search: each jamo matches a syllable beginning with that consonant (or the same
//   jamo), every other character matches itself, over consecutive characters. Blanks
//   are skipped on both sides, so "ㄴㅌㅂㄱ" and "ㄴㅌㅂ ㄱ" find "노트북 가방", and "노ㅌ"
//   finds "노트북". Double consonants are distinct: "ㄱ" does not find "까".
// - Any other query is a plain substring ("트북" finds "노트북 가방", "북 가" too).
// An empty query (or one of blanks only) matches every shipment.
class ShipmentMatcher {
public:
    explicit ShipmentMatcher(std::u16string_view query);

    bool MatchesEverything() const { return m_everything; }
    bool Matches(const ShipmentSearchKey& key) const;

private:
    bool MatchesText(const ShipmentSearchKey::Text& text) const;
    bool MatchesInitials(const ShipmentSearchKey::Text& text) const;

    bool m_everything = false;
    bool m_initialSearch = false; // the query holds initial-consonant jamo
    bool m_onlyInitials = false;  // ... and nothing else: a substring of the initials
    std::u16string m_folded;      // trimmed, Latin letters in small letters
    std::u16string m_compact;     // m_folded without blanks
    std::u16string m_invoice;     // NormaliseInvoiceNumber; empty: never matches numbers
};

} // namespace parcelo

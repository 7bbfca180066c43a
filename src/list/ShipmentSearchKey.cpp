#include "list/ShipmentSearchKey.h"

#include "platform/CharClass.h"
#include "platform/TextFolding.h"

#include <array>

namespace parcelo {

namespace {

constexpr char16_t kFirstSyllable = 0xAC00;
constexpr char16_t kLastSyllable = 0xD7A3;
constexpr int kSyllablesPerInitial = 21 * 28; // medial vowels times finals

// The 19 initial consonants in syllable order, as compatibility jamo.
constexpr std::array<char16_t, 19> kInitialJamo = {u'ㄱ', u'ㄲ', u'ㄴ', u'ㄷ', u'ㄸ', u'ㄹ', u'ㅁ', u'ㅂ', u'ㅃ', u'ㅅ',
                                                   u'ㅆ', u'ㅇ', u'ㅈ', u'ㅉ', u'ㅊ', u'ㅋ', u'ㅌ', u'ㅍ', u'ㅎ'};

} // namespace

char16_t HangulInitial(char16_t syllable) {
    if (syllable < kFirstSyllable || syllable > kLastSyllable) {
        return 0;
    }
    return kInitialJamo[(syllable - kFirstSyllable) / kSyllablesPerInitial];
}

bool IsInitialConsonantJamo(char16_t c) {
    for (const char16_t jamo : kInitialJamo) {
        if (c == jamo) {
            return true;
        }
    }
    return false;
}

ShipmentSearchKey::Text ShipmentSearchKey::MakeText(std::u16string_view text) {
    Text key;
    key.folded.reserve(text.size());
    key.compact.reserve(text.size());
    key.initials.reserve(text.size());
    for (const char16_t c : text) {
        const char16_t folded = FoldLatinCase(c);
        key.folded.push_back(folded);
        if (IsPlatformSpace(c)) {
            continue;
        }
        key.compact.push_back(folded);
        const char16_t initial = HangulInitial(c);
        key.initials.push_back(initial != 0 ? initial : folded);
    }
    return key;
}

ShipmentSearchKey ShipmentSearchKey::Make(std::u16string_view courierName, std::u16string_view invoiceNumber,
                                          std::u16string_view itemName) {
    return {MakeText(itemName), MakeText(courierName), NormaliseInvoiceNumber(invoiceNumber)};
}

} // namespace parcelo

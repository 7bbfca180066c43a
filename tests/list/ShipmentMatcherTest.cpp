#include "list/ShipmentMatcher.h"

#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

bool Finds(std::u16string_view query, std::u16string_view item, std::u16string_view invoice = u"0000",
           std::u16string_view courier = u"택배") {
    return ShipmentMatcher(query).Matches(ShipmentSearchKey::Make(courier, invoice, item));
}

// Plain queries are substrings of the item or the courier ignoring Latin case (blanks
// count); invoice numbers ignore blanks, hyphens and case; initial consonants match
// consecutive syllables, skipping blanks on both sides, and mix with syllables in place,
// up to the end of the text.
TEST(ShipmentMatcherTest, FindsItemsCouriersNumbersAndInitialConsonants) {
    for (const char16_t* query : {u"트북", u"", u"   ", u"ㄴㅌㅂ", u"ㅂㄱ", u"ㄴㅌㅂㄱ", u"노ㅌ", u"ㄴ트ㅂ", u"가ㅂ"}) {
        EXPECT_TRUE(Finds(query, u"노트북 가방")) << testing::PrintToString(std::u16string(query));
    }
    for (const char16_t* query : {u"북가", u"ㄴㅂ", u"노ㅂ", u"방ㅂ"}) {
        EXPECT_FALSE(Finds(query, u"노트북 가방")) << testing::PrintToString(std::u16string(query));
    }
    EXPECT_TRUE(Finds(u"iPHONE", u"Apple iPhone 15"));
    EXPECT_TRUE(Finds(u"ÉCOLE", u"école"));
    EXPECT_TRUE(Finds(u"  우체국 ", u"책", u"1", u"우체국택배"));
    EXPECT_TRUE(Finds(u"1234 5678", u"책", u"1234-5678-90"));
    EXPECT_TRUE(Finds(u"ab12", u"책", u"AB-12"));
    EXPECT_FALSE(Finds(u"5679", u"책", u"1234-5678"));
    EXPECT_FALSE(Finds(u"-", u"책", u"1234-5678")) << "not every number through an empty key";
    EXPECT_FALSE(Finds(u"ㄱ", u"까치")) << "double consonants are their own";
    EXPECT_TRUE(Finds(u"ㄲ", u"까치"));
    EXPECT_TRUE(Finds(u"ㅋ", u"ㅋㅋ 세트")) << "a jamo in the text matches itself";
    EXPECT_FALSE(Finds(u"ㅎ", u"Hello"));
    EXPECT_TRUE(Finds(u"usbㅋ", u"USB 케이블"));
    // The first and last syllables, the last initial consonant, and just below the syllables.
    EXPECT_TRUE(Finds(u"ㄱ", u"가") && Finds(u"ㅎ", u"힣"));
    EXPECT_FALSE(Finds(u"ㄱ", u"\uABFF"));
}

} // namespace
} // namespace parcelo

#include "list/ShipmentMatcher.h"

#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

bool Finds(std::u16string_view query, std::u16string_view item, std::u16string_view invoice = u"0000",
           std::u16string_view courier = u"택배") {
    return ShipmentMatcher(query).Matches(ShipmentSearchKey::Make(courier, invoice, item));
}

TEST(ShipmentMatcherTest, PlainQueriesAreSubstringsOfItemOrCourierIgnoringLatinCase) {
    EXPECT_TRUE(Finds(u"트북", u"노트북 가방"));
    EXPECT_FALSE(Finds(u"북가", u"노트북 가방")); // blanks count in a plain search
    EXPECT_TRUE(Finds(u"iPHONE", u"Apple iPhone 15"));
    EXPECT_TRUE(Finds(u"ÉCOLE", u"école"));
    EXPECT_TRUE(Finds(u"  우체국 ", u"책", u"1", u"우체국택배"));
    EXPECT_TRUE(Finds(u"", u"아무거나"));
    EXPECT_TRUE(Finds(u"   ", u"아무거나"));
}

TEST(ShipmentMatcherTest, InvoiceNumbersIgnoreBlanksHyphensAndCase) {
    EXPECT_TRUE(Finds(u"1234 5678", u"책", u"1234-5678-90"));
    EXPECT_TRUE(Finds(u"ab12", u"책", u"AB-12"));
    EXPECT_FALSE(Finds(u"5679", u"책", u"1234-5678"));
    // A query of hyphens only must not match every number through an empty key.
    EXPECT_FALSE(Finds(u"-", u"책", u"1234-5678"));
}

TEST(ShipmentMatcherTest, InitialConsonantsMatchConsecutiveSyllables) {
    EXPECT_TRUE(Finds(u"ㄴㅌㅂ", u"노트북 가방"));
    EXPECT_TRUE(Finds(u"ㅂㄱ", u"노트북 가방"));     // blanks between syllables are skipped
    EXPECT_TRUE(Finds(u"ㄴㅌㅂㄱ", u"노트북 가방")); // ... on both sides
    EXPECT_FALSE(Finds(u"ㄴㅂ", u"노트북 가방"));    // not consecutive
    EXPECT_FALSE(Finds(u"ㄱ", u"까치"));             // double consonants are their own
    EXPECT_TRUE(Finds(u"ㄲ", u"까치"));
    EXPECT_TRUE(Finds(u"ㅋ", u"ㅋㅋ 세트")); // a jamo in the text matches itself
    EXPECT_FALSE(Finds(u"ㅎ", u"Hello"));
}

TEST(ShipmentMatcherTest, MixedQueriesMatchSyllablesAndInitialsInPlace) {
    EXPECT_TRUE(Finds(u"노ㅌ", u"노트북 가방"));
    EXPECT_TRUE(Finds(u"ㄴ트ㅂ", u"노트북 가방"));
    EXPECT_TRUE(Finds(u"가ㅂ", u"노트북 가방")); // ending with the text
    EXPECT_FALSE(Finds(u"노ㅂ", u"노트북 가방"));
    EXPECT_TRUE(Finds(u"usbㅋ", u"USB 케이블"));
}

TEST(ShipmentMatcherTest, SearchesTheFullRangeOfSyllables) {
    // First and last precomposed syllables, and the last initial consonant.
    EXPECT_TRUE(Finds(u"ㄱ", u"가"));
    EXPECT_TRUE(Finds(u"ㅎ", u"힣"));
    EXPECT_FALSE(Finds(u"ㄱ", u"\uABFF")); // just below the syllables
}

} // namespace
} // namespace parcelo

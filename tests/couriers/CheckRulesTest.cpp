#include "couriers/CheckRules.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

TEST(CheckRulesTest, Mod7AcceptsTheRemainderOfTheOtherDigits) {
    EXPECT_TRUE(CheckMod7("1234567891"));   // 123456789 mod 7 = 1
    EXPECT_TRUE(CheckMod7("507812345670")); // 50781234567 mod 7 = 0
    // 31 digits: far beyond 64 bits, so the remainder must be taken digit by digit.
    EXPECT_TRUE(CheckMod7("1234567890123456789012345678900"));
    EXPECT_FALSE(CheckMod7("1234567890123456789012345678901"));

    EXPECT_FALSE(CheckMod7("1234567892"));   // last digit changed
    EXPECT_FALSE(CheckMod7("2134567891"));   // two digits transposed
    EXPECT_FALSE(CheckMod7("507812345607")); // the check digit transposed with its neighbour
    // A remainder is at most 6, so a last digit of 7, 8 or 9 never passes.
    EXPECT_FALSE(CheckMod7("00000000007"));
    EXPECT_TRUE(CheckMod7("00"));
    EXPECT_FALSE(CheckMod7("0"));
    EXPECT_FALSE(CheckMod7(""));
    EXPECT_FALSE(CheckMod7("12345A7891"));
}

TEST(CheckRulesTest, S10WeighsTheSerialDigits) {
    EXPECT_TRUE(CheckS10("AA473124829GB")); // sum 200, 200 mod 11 = 2, check 9
    EXPECT_TRUE(CheckS10("EE123456785KR")); // sum 204, 204 mod 11 = 6, check 5
    EXPECT_TRUE(CheckS10("RR100000140KR")); // sum mod 11 = 1: 11 - 1 = 10 becomes 0
    EXPECT_TRUE(CheckS10("CP100000025KR")); // sum mod 11 = 0: 11 - 0 = 11 becomes 5

    EXPECT_FALSE(CheckS10("EE123456789KR")); // the check digit of the usual example text
    EXPECT_FALSE(CheckS10("EE123456885KR")); // a serial digit changed
    EXPECT_FALSE(CheckS10("EE124356785KR")); // two serial digits transposed
    EXPECT_FALSE(CheckS10("EE12345678KR"));  // too short
    EXPECT_FALSE(CheckS10("EE1234567855KR"));
    EXPECT_FALSE(CheckS10("ee123456785kr")); // the rule sees normalised, upper-case numbers
    EXPECT_FALSE(CheckS10("EE12345678AKR"));
    EXPECT_FALSE(CheckS10("1234567890123"));
}

TEST(CheckRulesTest, UpsDoublesEvenPositionsAndMapsLetters) {
    EXPECT_TRUE(CheckUps("1Z999AA10123456784")); // the published example; A counts 2
    EXPECT_TRUE(CheckUps("1Z000000000000000"
                         "0"));
    EXPECT_FALSE(CheckUps("1Z999AA10123456785"));
    EXPECT_FALSE(CheckUps("1Z999AB10123456784")); // a letter changed
    EXPECT_FALSE(CheckUps("1Z99A9A10123456784")); // a digit and a letter transposed
    EXPECT_FALSE(CheckUps("1Z999AA1012345678"));
    EXPECT_FALSE(CheckUps("1Y999AA10123456784"));
    EXPECT_FALSE(CheckUps("1Z999AA1012345678A"));
    EXPECT_FALSE(CheckUps("1Z999aa10123456784"));
}

TEST(CheckRulesTest, FindsRulesByNameIgnoringCase) {
    EXPECT_EQ(FindCheckRule(u"mod7"), &CheckMod7);
    EXPECT_EQ(FindCheckRule(u"S10"), &CheckS10);
    EXPECT_EQ(FindCheckRule(u"UPS"), &CheckUps);
    EXPECT_EQ(FindCheckRule(u""), nullptr);
    EXPECT_EQ(FindCheckRule(u"mod77"), nullptr);
    EXPECT_EQ(FindCheckRule(u"ｍｏｄ７"), nullptr); // full-width letters are not a name
    EXPECT_EQ(FindCheckRule(u"s1\u0130"), nullptr);
}

} // namespace
} // namespace parcelo

#include "couriers/NumberPasteParser.h"

#include "platform/Utf8.h"

#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

using Strings = std::vector<std::string>;

// Each number as "found|normalised|item name|courier|line", "*" marking duplicates; or only
// the part `part` (0: found, 2: item name, ...) of each.
Strings Describe(std::u16string_view text, const std::vector<std::u16string>& couriers = {}, int part = -1) {
    Strings lines;
    for (const PastedNumber& number : NumberPasteParser::Parse(text, couriers).numbers) {
        const std::string parts[] = {Utf16ToUtf8(number.found), Utf16ToUtf8(number.normalised),
                                     Utf16ToUtf8(number.itemName), std::to_string(number.courierIndex),
                                     std::to_string(number.line) + (number.duplicate ? "*" : "")};
        lines.push_back(part >= 0 ? parts[part]
                                  : parts[0] + "|" + parts[1] + "|" + parts[2] + "|" + parts[3] + "|" + parts[4]);
    }
    return lines;
}

// Groups of three or more digits join, a short group (a row number, a date) stands alone,
// hyphens bind closer than spaces; 8 to 20 digits are taken, codes, amounts and phones
// skipped; S10 identifiers and UPS numbers count only as whole words.
TEST(NumberPasteParserTest, FindsTheNumbersAmongOtherDigitsAndWords) {
    const std::pair<std::u16string_view, Strings> cases[] = {
        {u"6012 3456 7890", {"6012 3456 7890"}},
        {u"3 601234567890", {"601234567890"}},
        {u"601234567890 507812345670", {"601234567890", "507812345670"}}, // more than 20 digits together
        {u"601234  567890", {}},                                          // two separators never join
        {u"60123456\t78901234", {"60123456", "78901234"}},                // nor does a tab
        {u"1234567 12345678 12345678901234567890 123456789012345678901", {"12345678", "12345678901234567890"}},
        {u"ORD20241207001 20241207001kg 601234567890번", {"601234567890"}},
        {u"12,345,678,901 1234567.89012 123456789.5", {}},
        {u"010-1234-5678 02-123-4567 0505 123 4567 1588-1255 1588-12550", {"1588-12550"}},
        {u"01012345678", {"01012345678"}}, // an unbroken run is always taken
        {u"ee-123456785-kr,RR123456785KR.", {"ee-123456785-kr", "RR123456785KR"}},
        {u"번호EE123456785KR입니다", {"EE123456785KR"}},
        {u"XEE123456785KR EE123456785KRX EE12345678KR EE1234567850KR", {}},
        {u"UPS 1Z 999 AA1 01 2345 6784 도착, 1z999aa10123456784", {"1Z 999 AA1 01 2345 6784", "1z999aa10123456784"}},
        {u"X1Z999AA10123456784 1Z999AA101234567845 1Z999AA1012345678", {}},
    };
    for (const auto& [text, found] : cases) {
        EXPECT_EQ(Describe(text, {}, 0), found) << Utf16ToUtf8(text);
    }
}

// The nearest cell names an item, cut without splitting a surrogate pair; a courier's name or a
// caption is never the item name, and a header row's columns are used as named until the next.
// In a messy order page lines end at CR LF, LF, CR, and a LF then a CR is two line ends.
TEST(NumberPasteParserTest, ItemNamesComeFromTheNearestCellAndNeverACourierOrACaption) {
    EXPECT_EQ(Describe(u"책 601234567890 펜 507812345670", {}, 2), (Strings{"책", "펜"}));
    EXPECT_EQ(Describe(u"601234567890 507812345670 끝", {}, 2), (Strings{"", "끝"}));
    std::u16string longName(NumberPasteParser::kMaxItemName - 1, u'가');
    EXPECT_EQ(Describe(longName + u"\U0001F4E6\U0001F4E6 601234567890", {}, 2), Strings{Utf16ToUtf8(longName)});
    const std::vector<std::u16string> couriers{u"CJ대한통운", u"우체국택배", u"한진택배", u"우체국EMS"};
    EXPECT_EQ(
        Describe(u"주문번호: ORD20241207001 (2024-12-07 14:32)\r\n"
                 u"\r\n"
                 u"상품명: 무선 이어폰 | CJ대한통운 | 6012-3456-7890\r\n"
                 u"겨울 코트\t1\t39,900원\t５０７８１２３４５６７０\t배송중\n"
                 u"고객센터 1588-1255, 010-1234-5678, 031-123-4567\n\r"
                 u"EMS: EE 123 456 785 KR 해외 직구 신발\r\n"
                 u"송장번호：420193857215\n"
                 u"합계 12,345,678.90원 / 1234567.890123\n"
                 u"601234567890 (같은 송장)\n"
                 u"\u3000책 세 권 ― 9753-1086-420\n"
                 u"무선 이어폰\tCJ대한통운\t601234567890\n"
                 u"무선 이어폰: cj 대한통운 601234567891\n"
                 u"노트북 가방 (우체국택배 6012345678901\n"
                 u"노트북 가방 (우체국택배) 6012345678902\n"
                 u"물품명: 책 세 권. 601234567892\n"
                 u"한진 택배 | 601234567893 | 운동화\n"
                 u"우체국 EMS 601234567895\n"
                 u"주문번호\t상품명\t택배사\t운송장 번호\r\n"
                 u"202412070001\t겨울 코트\t한진택배\t6012-3456-7890\r\n"
                 u"202412070002\t우체국택배\tCJ대한통운\t507812345670\r\n"
                 u"202412070003\t장갑 601234567899\r\n"
                 u"Item|Tracking\n"
                 u"펜|601234567898",
                 couriers),
        (Strings{"6012-3456-7890|601234567890|무선 이어폰|0|3", "５０７８１２３４５６７０|507812345670|39,900원|-1|4",
                 "EE 123 456 785 KR|EE123456785KR|EMS|-1|7", "420193857215|420193857215||-1|8",
                 "601234567890|601234567890|(같은 송장)|-1|10*", "9753-1086-420|97531086420|책 세 권|-1|11",
                 "601234567890|601234567890|무선 이어폰|0|12*", "601234567891|601234567891|무선 이어폰|0|13",
                 "6012345678901|6012345678901|노트북 가방|1|14", "6012345678902|6012345678902|노트북 가방|1|15",
                 "601234567892|601234567892|책 세 권|-1|16", "601234567893|601234567893|운동화|2|17",
                 "601234567895|601234567895||3|18", "6012-3456-7890|601234567890|겨울 코트|2|20*",
                 "507812345670|507812345670||0|21*", "202412070003|202412070003|장갑|-1|22",
                 "601234567899|601234567899|장갑|-1|22", "601234567898|601234567898|펜|-1|24"}));
}

// At most 10,000 numbers are taken; past the length limit the text is cut at a line end,
// so that the straddling number is not taken in part.
TEST(NumberPasteParserTest, BoundsTheNumbersAndTheText) {
    std::u16string column;
    for (long long n = 6012340000; n < 6012350000; ++n) {
        const std::string number = std::to_string(n);
        column += u"상품 " + std::u16string(number.begin(), number.end()) + u"\r\n";
    }
    EXPECT_FALSE(NumberPasteParser::Parse(column).truncated);
    PasteResult result = NumberPasteParser::Parse(column + u"6012340000");
    EXPECT_TRUE(result.truncated);
    ASSERT_EQ(result.numbers.size(), 10000u);
    EXPECT_EQ(result.numbers.back().line, 10000u);

    std::u16string big = u"601234567890 ";
    big.resize(NumberPasteParser::kMaxInputLength - 20, u'가');
    result = NumberPasteParser::Parse(big + u"\n상품 601234567890123456\n");
    EXPECT_TRUE(result.truncated);
    ASSERT_EQ(result.numbers.size(), 1u);
    EXPECT_EQ(result.numbers[0].found, u"601234567890");
    EXPECT_EQ(result.numbers[0].itemName, std::u16string(NumberPasteParser::kMaxItemName, u'가'));
}

} // namespace
} // namespace parcelo

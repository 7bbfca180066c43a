#include "couriers/NumberPasteParser.h"

#include "platform/Utf8.h"

#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

// "found|normalised|item name|line" for each number, "*" marking duplicates.
std::vector<std::string> Describe(const PasteResult& result) {
    std::vector<std::string> lines;
    for (const PastedNumber& number : result.numbers) {
        lines.push_back(Utf16ToUtf8(number.found) + "|" + Utf16ToUtf8(number.normalised) + "|" +
                        Utf16ToUtf8(number.itemName) + "|" + std::to_string(number.line) +
                        (number.duplicate ? "*" : ""));
    }
    return lines;
}

std::vector<std::string> Found(std::u16string_view text) {
    std::vector<std::string> found;
    for (const PastedNumber& number : NumberPasteParser::Parse(text).numbers) {
        found.push_back(Utf16ToUtf8(number.found));
    }
    return found;
}

using Strings = std::vector<std::string>;

TEST(NumberPasteParserTest, FindsNumbersAndNamesInAMessyOrderPage) {
    const std::u16string page = u"주문번호: ORD20241207001 (2024-12-07 14:32)\r\n"
                                u"\r\n"
                                u"상품명: 무선 이어폰 | CJ대한통운 | 6012-3456-7890\r\n"
                                u"겨울 코트\t1\t39,900원\t５０７８１２３４５６７０\t배송중\n"
                                u"고객센터 1588-1255, 010-1234-5678, 031-123-4567\r"
                                u"EMS: EE 123 456 785 KR 해외 직구 신발\r\n"
                                u"송장번호：420193857215\n"
                                u"합계 12,345,678.90원 / 1234567.890123\n"
                                u"601234567890 (같은 송장)\n"
                                u"\u3000책 세 권 ― 9753-1086-420";
    const std::vector<std::u16string> couriers{u"CJ대한통운"};
    const PasteResult result = NumberPasteParser::Parse(page, couriers);
    EXPECT_FALSE(result.truncated);
    EXPECT_EQ(Describe(result), (Strings{
                                    "6012-3456-7890|601234567890|무선 이어폰|3",
                                    "５０７８１２３４５６７０|507812345670|39,900원|4",
                                    "EE 123 456 785 KR|EE123456785KR|EMS|6",
                                    "420193857215|420193857215||7",
                                    "601234567890|601234567890|(같은 송장)|9*",
                                    "9753-1086-420|97531086420|책 세 권|10",
                                }));
}

TEST(NumberPasteParserTest, JoinsGroupsOfThreeOrMoreDigits) {
    EXPECT_EQ(Found(u"6012 3456 7890"), Strings{"6012 3456 7890"});
    // A short group stands alone, so a row number or a date is not glued on.
    EXPECT_EQ(Found(u"3 601234567890"), Strings{"601234567890"});
    // Two numbers side by side would make more than 20 digits: each stands alone.
    EXPECT_EQ(Found(u"601234567890 507812345670"), (Strings{"601234567890", "507812345670"}));
    // Two separators, or a tab, never join.
    EXPECT_EQ(Found(u"601234  567890"), Strings{});
    EXPECT_EQ(Found(u"60123456\t78901234"), (Strings{"60123456", "78901234"}));
    // Hyphens bind closer than spaces: numbers written in groups, side by side.
    EXPECT_EQ(Found(u"6012-3456-7890 5078-1234-5670"), (Strings{"6012-3456-7890", "5078-1234-5670"}));
}

TEST(NumberPasteParserTest, TakesEightToTwentyDigitsAndSkipsCodesAmountsAndPhones) {
    EXPECT_EQ(Found(u"1234567 12345678 12345678901234567890 123456789012345678901"),
              (Strings{"12345678", "12345678901234567890"}));
    EXPECT_EQ(Found(u"ORD20241207001 20241207001kg 601234567890번"), Strings{"601234567890"});
    EXPECT_EQ(Found(u"12,345,678,901 1234567.89012 123456789.5"), Strings{});
    EXPECT_EQ(Found(u"010-1234-5678 02-123-4567 0505 123 4567 1588-1255 1588-12550"), Strings{"1588-12550"});
    // An unbroken run is always taken, even when it could be a phone number.
    EXPECT_EQ(Found(u"01012345678"), Strings{"01012345678"});
}

TEST(NumberPasteParserTest, FindsS10IdentifiersOnlyAsWholeWords) {
    EXPECT_EQ(Found(u"ee-123456785-kr,RR123456785KR."), (Strings{"ee-123456785-kr", "RR123456785KR"}));
    EXPECT_EQ(Found(u"번호EE123456785KR입니다"), Strings{"EE123456785KR"});
    EXPECT_EQ(Found(u"XEE123456785KR EE123456785KRX EE12345678KR EE1234567850KR"), Strings{});
    EXPECT_EQ(Found(u"EE 123456785 K"), Strings{"123456785"});
    EXPECT_EQ(Found(u"UPS 1Z 999 AA1 01 2345 6784 도착, 1z999aa10123456784"),
              (Strings{"1Z 999 AA1 01 2345 6784", "1z999aa10123456784"}));
    EXPECT_EQ(Found(u"X1Z999AA10123456784 1Z999AA101234567845 1Z999AA1012345678"), Strings{});
}

TEST(NumberPasteParserTest, ItemNamesComeFromTheNearestCell) {
    const auto names = [](std::u16string_view text) {
        Strings names;
        for (const PastedNumber& number : NumberPasteParser::Parse(text).numbers) {
            names.push_back(Utf16ToUtf8(number.itemName));
        }
        return names;
    };
    EXPECT_EQ(names(u"1\t운동화\t\t601234567890\t2024-12-07"), Strings{"운동화"});
    EXPECT_EQ(names(u"601234567890 : 커피 원두 | 2kg"), Strings{"커피 원두"});
    EXPECT_EQ(names(u"책 601234567890 펜 507812345670"), (Strings{"책", "펜"}));
    EXPECT_EQ(names(u"601234567890 507812345670 끝"), (Strings{"", "끝"}));

    // Long names are cut without splitting a surrogate pair.
    std::u16string longName(NumberPasteParser::kMaxItemName - 1, u'가');
    longName += u"\U0001F4E6\U0001F4E6";
    const PasteResult result = NumberPasteParser::Parse(longName + u" 601234567890");
    ASSERT_EQ(result.numbers.size(), 1u);
    EXPECT_EQ(result.numbers[0].itemName, longName.substr(0, NumberPasteParser::kMaxItemName - 1));
}

// A shop's order list: a courier's name or a caption is never the item name, and a
// header row's columns are used as named until the next header.
TEST(NumberPasteParserTest, CourierNamesAndCaptionsAreNeverItemNames) {
    const std::vector<std::u16string> couriers{u"CJ대한통운", u"우체국택배", u"한진택배", u"우체국EMS"};
    const auto parse = [&](std::u16string_view text) {
        Strings rows;
        for (const PastedNumber& number : NumberPasteParser::Parse(text, couriers).numbers) {
            rows.push_back(Utf16ToUtf8(number.normalised) + "|" + Utf16ToUtf8(number.itemName) + "|" +
                           std::to_string(number.courierIndex));
        }
        return rows;
    };
    EXPECT_EQ(parse(u"무선 이어폰\tCJ대한통운\t601234567890\n"
                    u"무선 이어폰: cj 대한통운 601234567891\n"
                    u"노트북 가방 (우체국택배 6012345678901\n"
                    u"노트북 가방 (우체국택배) 6012345678902\n"
                    u"물품명: 책 세 권. 601234567892\n"
                    u"한진 택배 | 601234567893 | 운동화\n"
                    u"우체국 EMS 601234567895"),
              (Strings{"601234567890|무선 이어폰|0", "601234567891|무선 이어폰|0", "6012345678901|노트북 가방|1",
                       "6012345678902|노트북 가방|1", "601234567892|책 세 권|-1", "601234567893|운동화|2",
                       "601234567895||3"}));

    EXPECT_EQ(parse(u"주문번호\t상품명\t택배사\t운송장 번호\r\n"
                    u"202412070001\t겨울 코트\t한진택배\t6012-3456-7890\r\n"
                    u"202412070002\t우체국택배\tCJ대한통운\t507812345670\r\n"
                    u"202412070003\t장갑 601234567899\r\n"
                    u"Item|Tracking\n"
                    u"펜|601234567898"),
              (Strings{"601234567890|겨울 코트|2", "507812345670||0", "202412070003|장갑|-1", "601234567899|장갑|-1",
                       "601234567898|펜|-1"}));
}

TEST(NumberPasteParserTest, CountsLinesAcrossEveryLineEnd) {
    const PasteResult result =
        NumberPasteParser::Parse(u"601234567890\r\n\r\n601234567891\r601234567892\n\n\r601234567893");
    ASSERT_EQ(result.numbers.size(), 4u);
    EXPECT_EQ((std::vector<size_t>{result.numbers[1].line, result.numbers[2].line, result.numbers[3].line}),
              (std::vector<size_t>{3, 4, 7}));
}

TEST(NumberPasteParserTest, BoundsTheNumbersAndTheText) {
    std::u16string column;
    for (long long n = 0; n < 10000; ++n) {
        const std::string number = std::to_string(6012340000 + n);
        column += u"상품 " + std::u16string(number.begin(), number.end()) + u"\r\n";
    }
    PasteResult result = NumberPasteParser::Parse(column);
    EXPECT_FALSE(result.truncated);
    ASSERT_EQ(result.numbers.size(), 10000u);
    EXPECT_EQ(result.numbers.back().line, 10000u);

    result = NumberPasteParser::Parse(column + u"6012340000");
    EXPECT_TRUE(result.truncated);
    EXPECT_EQ(result.numbers.size(), 10000u);

    // Past the limit the text is cut at a line end: the straddling number is not taken in part.
    std::u16string big = u"601234567890 ";
    big.resize(NumberPasteParser::kMaxInputLength - 20, u'가');
    big += u"\n상품 601234567890123456\n";
    result = NumberPasteParser::Parse(big);
    EXPECT_TRUE(result.truncated);
    ASSERT_EQ(result.numbers.size(), 1u);
    EXPECT_EQ(result.numbers[0].found, u"601234567890");
    EXPECT_EQ(result.numbers[0].itemName, std::u16string(NumberPasteParser::kMaxItemName, u'가'));
}

} // namespace
} // namespace parcelo

#include "transfer/ShipmentFileParser.h"

#include "config/Utf16Bytes.h"
#include "transfer/TransferTestData.h"

#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

constexpr int64_t kNow = 1'700'000'000;

ParseResult Parse(std::string_view bytes) {
    ParseOptions options;
    options.now = kNow;
    options.localInstant = testdata::SeoulWallClock;
    return ShipmentFileParser(options).Parse(bytes);
}

void ExpectFailure(const ParseResult& result) {
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.shipments.empty());
    ASSERT_EQ(result.errors.size(), 1u);
}

TEST(ShipmentFileParserTest, ReadsForeignCsvWithKoreanOrEnglishHeaders) {
    const char* files[] = {
        "택배사,송장번호\nCJ,1234-5678\n",
        "Tracking Number,x,COURIER,Item\r\nAB 12,?,CJ,\n", // unknown column, other order
        "invoice_no,courier_name,order-date,Status\n1,CJ,2026-12-07,\n",
        "\xEF\xBB\xBFinvoiceNumber,courier\n1,CJ\n", // mark before the header
    };
    for (const char* file : files) {
        const ParseResult result = Parse(file);
        EXPECT_FALSE(result.failed) << file;
        EXPECT_TRUE(result.errors.empty()) << file;
        ASSERT_EQ(result.shipments.size(), 1u) << file;
        const TransferRecord& record = result.shipments[0].record;
        EXPECT_EQ(record.courierName, u"CJ");
    }
    EXPECT_EQ(Parse(files[0]).shipments[0].record.orderDate, kNow);          // missing dates are now
    EXPECT_EQ(Parse(files[2]).shipments[0].record.orderDate, 1'796'569'200); // local midnight in Seoul
    EXPECT_EQ(Parse(files[2]).shipments[0].record.entryDate, kNow);
}

TEST(ShipmentFileParserTest, ReadsCp949AndUtf16) {
    // 택배사,송장번호,품명,상태 / 우체국,1234-5678,노트북 가방,완료 / 똠방각하 (a CP949 extension syllable)
    const std::string cp949 = "\xC5\xC3\xB9\xE8\xBB\xE7\x2C\xBC\xDB\xC0\xE5\xB9\xF8\xC8\xA3\x2C\xC7\xB0\xB8\xED\x2C"
                              "\xBB\xF3\xC5\xC2\r\n"
                              "\xBF\xEC\xC3\xBC\xB1\xB9\x2C\x31\x32\x33\x34\x2D\x35\x36\x37\x38\x2C\xB3\xEB\xC6\xAE"
                              "\xBA\xCF\x20\xB0\xA1\xB9\xE6\x2C\xBF\xCF\xB7\xE1\r\n"
                              "\xBF\xEC\xC3\xBC\xB1\xB9,1,\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF,\r\n";
    ParseResult result = Parse(cp949);
    ASSERT_EQ(result.shipments.size(), 2u);
    EXPECT_EQ(result.shipments[0].record.courierName, u"우체국");
    EXPECT_EQ(result.shipments[0].record.itemName, u"노트북 가방");
    EXPECT_EQ(result.shipments[1].record.itemName, u"똠방각하");

    // glibc consumes an unassigned pair at the very end before it reports it.
    result = Parse("courier,invoice\nCJ,1\xA2\xE8");
    ASSERT_EQ(result.shipments.size(), 1u);
    EXPECT_EQ(result.shipments[0].record.invoiceNumber, u"1\uFFFD");

    result = Parse(test::Utf16Bytes(u"courier,invoice\n택배,9"));
    ASSERT_EQ(result.shipments.size(), 1u);
    EXPECT_EQ(result.shipments[0].record.courierName, u"택배");
}

TEST(ShipmentFileParserTest, FaultyRowsBecomeErrorsWithTheirLines) {
    const ParseResult result = Parse("courier,invoice,status,orderDate,courierCode\n"
                                     "CJ,1,Done,,\n"
                                     "CJ, - ,0,,\n"                                  // line 3: blank number
                                     ",5,0,,\n"                                      // line 4: no courier name nor code
                                     ",5,0,,12\n"                                    // a code is enough
                                     "CJ,2,3,,\n"                                    // line 6: unknown status
                                     "CJ,3,완료,2026-02-30,\n"                       // line 7: impossible date
                                     "CJ,4,,,x\n"                                    // line 8: code not a number
                                     "\"CJ\",\"6\"\"\",\xEC\xB7\xA8\xEC\x86\x8C\n"); // 취소, short row
    EXPECT_FALSE(result.failed);
    ASSERT_EQ(result.shipments.size(), 3u);
    EXPECT_EQ(result.shipments[0].record.status, 1);
    EXPECT_EQ(result.shipments[1].record.courierCode, 12);
    EXPECT_EQ(result.shipments[2].record.status, 2);
    EXPECT_EQ(result.shipments[2].line, 9u);
    ASSERT_EQ(result.errors.size(), 5u);
    const size_t lines[] = {3, 4, 6, 7, 8};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(result.errors[i].line, lines[i]);
        EXPECT_FALSE(result.errors[i].reason.empty());
    }
}

TEST(ShipmentFileParserTest, HostileCsvGivesOneErrorAndNoRecords) {
    ExpectFailure(Parse(""));
    ExpectFailure(Parse("item,status\nbook,0\n"));
    ExpectFailure(Parse("courier,item\nCJ,book\n"));
    ExpectFailure(Parse("courier,invoice\nCJ,1\nCJ,\"2\n")); // truncated
    ExpectFailure(Parse("courier,invoice\n" + std::string(1'000'000, ',')));
    ExpectFailure(Parse("courier,invoice\nCJ," + std::string(70'000, '7')));

    std::string huge = "courier,invoice\n";
    huge.resize(size_t{200} * 1024 * 1024, 'x');
    ExpectFailure(Parse(huge));
}

std::string JsonWith(std::string_view shipments) {
    return R"({"format": "parcelo", "version": 1, "shipments": [)" + std::string(shipments) + "]}";
}

TEST(ShipmentFileParserTest, JsonShipmentsOfTheWrongShapeAreErrors) {
    const ParseResult result = Parse(JsonWith(R"({"courier": "CJ", "invoiceNumber": "1", "orderDate": null},
        7,
        {"courier": "CJ", "invoiceNumber": 5},
        {"courier": "CJ", "invoiceNumber": "2", "status": 1.5},
        {"courier": "CJ", "invoiceNumber": "3", "courierCode": 4294967296},
        {"courierCode": 3, "invoiceNumber": "4", "status": 2, "extra": [1]})"));
    EXPECT_FALSE(result.failed);
    ASSERT_EQ(result.shipments.size(), 2u);
    EXPECT_EQ(result.shipments[0].record.orderDate, kNow);
    EXPECT_EQ(result.shipments[1].line, 6u);
    EXPECT_EQ(result.shipments[1].record.courierCode, 3);
    ASSERT_EQ(result.errors.size(), 4u);
    EXPECT_EQ(result.errors[0].line, 2u);
}

TEST(ShipmentFileParserTest, HostileJsonGivesOneErrorAndNoRecords) {
    const std::string valid = JsonWith(R"({"courier": "CJ", "invoiceNumber": "1"})");
    ExpectFailure(Parse(valid.substr(0, valid.size() - 3))); // truncated
    ExpectFailure(Parse(R"({"format": "other", "version": 1, "shipments": []})"));
    ExpectFailure(Parse(R"({"format": "parcelo", "version": 2, "shipments": []})"));
    ExpectFailure(Parse(R"({"format": "parcelo", "version": 1, "shipments": {}})"));
    ExpectFailure(Parse("{\"format\": \"parcelo\", \"x\": \"\xC0\xAF\"}")); // not UTF-8
    ExpectFailure(Parse(JsonWith(R"({"courier": "CJ", "invoiceNumber": "1", "id": 1E400})")));
    ExpectFailure(Parse("{\"a\":" + std::string(100'000, '[')));

    const ParseResult broken = Parse("{\n\"format\": \"parcelo\",\n\"version\": 1,\n\"shipments\": [,]}");
    ExpectFailure(broken);
    EXPECT_EQ(broken.errors[0].line, 4u);

    ParseOptions options;
    options.maxJsonShipments = 2;
    ExpectFailure(ShipmentFileParser(options).Parse(JsonWith("{},{},{}")));

    // Tiny values in bulk are turned away while parsing, before they take memory.
    std::string zeros = "[0";
    for (int i = 0; i < 2000; ++i) {
        zeros += ",0";
    }
    options = {};
    options.maxJsonValues = 1000;
    ExpectFailure(ShipmentFileParser(options).Parse(JsonWith(zeros + "]")));
}

} // namespace
} // namespace parcelo

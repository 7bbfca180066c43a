#include "transfer/ShipmentFileParser.h"

#include "config/Utf16Bytes.h"
#include "transfer/ShipmentExporter.h"
#include "transfer/TransferTestData.h"

#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

using namespace std::string_literals;

constexpr int64_t kNow = 1'700'000'000;

ParseOptions Options() {
    ParseOptions options;
    options.now = kNow;
    options.localInstant = testdata::SeoulWallClock;
    return options;
}

ParseResult Parse(std::string_view bytes, ParseOptions options = Options()) {
    return ShipmentFileParser(options).Parse(bytes);
}

// Korean or English headers in any order and case, unknown columns skipped; UTF-8 with or
// without its mark, CP949 (with a syllable of its extension) and UTF-16.
TEST(ShipmentFileParserTest, ReadsForeignCsvWithKoreanOrEnglishHeadersInAnyEncoding) {
    const std::pair<std::string, std::u16string> files[] = {
        {"택배사,송장번호\nCJ,1234-5678\n", u"CJ"},
        {"Tracking Number,x,COURIER,Item\r\nAB 12,?,CJ,\n", u"CJ"},
        {"invoice_no,courier_name,order-date,Status\n1,CJ,2026-12-07,\n", u"CJ"},
        {"\xEF\xBB\xBFinvoiceNumber,courier\n1,CJ\n", u"CJ"},
        {"courier,invoice,item\r\n\xBF\xEC\xC3\xBC\xB1\xB9,1,\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF\r\n", u"우체국"},
        {test::Utf16Bytes(u"courier,invoice\n택배,9"), u"택배"},
    };
    for (const auto& [file, courier] : files) {
        const ParseResult result = Parse(file);
        EXPECT_FALSE(result.failed) << file;
        EXPECT_TRUE(result.errors.empty()) << file;
        ASSERT_EQ(result.shipments.size(), 1u) << file;
        EXPECT_EQ(result.shipments[0].record.courierName, courier);
    }
    EXPECT_EQ(Parse(files[4].first).shipments[0].record.itemName, u"똠방각하");
    EXPECT_EQ(Parse(files[0].first).shipments[0].record.orderDate, kNow);          // missing dates are now
    EXPECT_EQ(Parse(files[2].first).shipments[0].record.orderDate, 1'796'569'200); // local midnight in Seoul
    EXPECT_EQ(Parse(files[2].first).shipments[0].record.entryDate, kNow);
}

std::string JsonWith(std::string_view shipments) {
    return R"({"format": "parcelo", "version": 1, "shipments": [)" + std::string(shipments) + "]}";
}

// "failed" when the file as a whole was, each row kept as "line status courier-code
// order-date", then the line of each error (0 for one without its reason).
std::vector<std::string> Outcome(const ParseResult& result) {
    std::vector<std::string> outcome(result.failed ? 1 : 0, "failed");
    for (const auto& [line, record] : result.shipments) {
        outcome.push_back(std::to_string(line) + " " + std::to_string(record.status) + " " +
                          (record.courierCode ? std::to_string(*record.courierCode) : "-") + " " +
                          std::to_string(record.orderDate));
    }
    for (const ImportError& error : result.errors) {
        outcome.push_back("error " + std::to_string(error.reason.empty() ? 0 : error.line));
    }
    return outcome;
}

TEST(ShipmentFileParserTest, FaultyRowsAndShipmentsOfTheWrongShapeBecomeErrorsWithTheirLines) {
    const std::string now = std::to_string(kNow);
    EXPECT_EQ(Outcome(Parse("courier,invoice,status,orderDate,courierCode\n"
                            "CJ,1,Done,,\n"
                            "CJ, - ,0,,\n"                                   // line 3: blank number
                            ",5,0,,\n"                                       // line 4: no courier name nor code
                            ",5,0,,12\n"                                     // a code is enough
                            "CJ,2,3,,\n"                                     // line 6: unknown status
                            "CJ,3,완료,2026-02-30,\n"                        // line 7: impossible date
                            "CJ,4,,,x\n"                                     // line 8: code not a number
                            "\"CJ\",\"6\"\"\",\xEC\xB7\xA8\xEC\x86\x8C\n")), // 취소, short row
              (std::vector<std::string>{"2 1 - " + now, "5 0 12 " + now, "9 2 - " + now, "error 3", "error 4",
                                        "error 6", "error 7", "error 8"}));
    EXPECT_EQ(Outcome(Parse(JsonWith(R"({"courier": "CJ", "invoiceNumber": "1", "orderDate": null},
        7,
        {"courier": "CJ", "invoiceNumber": 5},
        {"courier": "CJ", "invoiceNumber": "2", "status": 1.5},
        {"courier": "CJ", "invoiceNumber": "3", "courierCode": 4294967296},
        {"courierCode": 3, "invoiceNumber": "4", "status": 2, "extra": [1]})"))),
              (std::vector<std::string>{"1 0 - " + now, "6 2 3 " + now, "error 2", "error 3", "error 4", "error 5"}));
}

void ExpectFailure(const ParseResult& result) {
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.shipments.empty());
    EXPECT_EQ(result.errors.size(), 1u);
}

// A file that cannot be read as a whole gives one error and no records.
TEST(ShipmentFileParserTest, HostileFilesGiveOneErrorAndNoRecords) {
    std::string huge = "courier,invoice\n";
    huge.resize(size_t{200} * 1024 * 1024, 'x');
    const std::string valid = JsonWith(R"({"courier": "CJ", "invoiceNumber": "1"})");
    const std::string broken = "{\n\"format\": \"parcelo\",\n\"version\": 1,\n\"shipments\": [,]}";
    for (const std::string& file :
         {""s, "item,status\nbook,0\n"s, "courier,item\nCJ,book\n"s, "courier,invoice\nCJ,1\nCJ,\"2\n"s,
          "courier,invoice\n" + std::string(1'000'000, ','), "courier,invoice\nCJ," + std::string(70'000, '7'),
          valid.substr(0, valid.size() - 3), R"({"format": "other", "version": 1, "shipments": []})"s,
          R"({"format": "parcelo", "version": 2, "shipments": []})"s,
          R"({"format": "parcelo", "version": 1, "shipments": {}})"s,
          "{\"format\": \"parcelo\", \"x\": \"\xC0\xAF\"}"s, // not UTF-8
          JsonWith(R"({"courier": "CJ", "invoiceNumber": "1", "id": 1E400})"), "{\"a\":" + std::string(100'000, '['),
          broken}) {
        SCOPED_TRACE(file.substr(0, 60));
        ExpectFailure(Parse(file));
    }
    EXPECT_EQ(Parse(broken).errors.at(0).line, 4u);
    ExpectFailure(Parse(huge));

    // Too many shipments; tiny values in bulk, turned away while parsing, before they take memory.
    ParseOptions options = Options();
    options.maxJsonShipments = 2;
    options.maxJsonValues = 1000;
    std::string zeros = "[0";
    for (int i = 0; i < 2000; ++i) {
        zeros += ",0";
    }
    ExpectFailure(Parse(JsonWith("{},{},{}"), options));
    ExpectFailure(Parse(JsonWith(zeros + "]"), options));
}

TEST(TransferRoundTripTest, CsvAndJsonGiveBackEveryRecordExactly) {
    const auto records = testdata::AwkwardRecords(10'000);
    const ShipmentExporter exporter(testdata::SeoulOffset);
    for (const bool csv : {true, false}) {
        const ParseResult result = Parse(csv ? exporter.ToCsv(records) : exporter.ToJson(records));
        EXPECT_FALSE(result.failed);
        EXPECT_TRUE(result.errors.empty()) << (result.errors.empty() ? 0 : result.errors[0].line);
        ASSERT_EQ(result.shipments.size(), records.size());
        for (size_t i = 0; i < records.size(); ++i) {
            ASSERT_EQ(result.shipments[i].record, records[i]) << "record " << i;
        }
        EXPECT_TRUE(!csv || result.shipments[1].line == 3u) << "the header on line 1, the first row over two lines";
    }
}

TEST(TransferRoundTripTest, CsvHasTheDocumentedLayout) {
    // Id, courier name, code and index, number, item, ordered 2026-12-07 05:03:00 UTC and
    // entered a minute later, cancelled.
    const TransferRecord record{7, u"우체국", 1, {}, u"1234-5678", u"=책", 1'796'619'780, 1'796'619'840, 2};
    const ShipmentExporter exporter(testdata::SeoulOffset);
    EXPECT_EQ(exporter.ToCsv({&record, 1}),
              "\xEF\xBB\xBF"
              "id,courier,courierCode,courierIndex,invoiceNumber,itemName,orderDate,entryDate,status\r\n"
              "7,\xEC\x9A\xB0\xEC\xB2\xB4\xEA\xB5\xAD,1,,1234-5678,'=\xEC\xB1\x85,"
              "2026-12-07T14:03:00+09:00,2026-12-07T14:04:00+09:00,2\r\n");
    EXPECT_NE(exporter.ToJson({&record, 1}).find("\"itemName\": \"=\xEC\xB1\x85\""),
              std::string::npos); // no guard in JSON
}

} // namespace
} // namespace parcelo

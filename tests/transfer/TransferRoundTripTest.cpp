#include "store/StoreTestSupport.h"
#include "transfer/IsoDateTime.h"
#include "transfer/ShipmentExporter.h"
#include "transfer/ShipmentFileParser.h"
#include "transfer/TransferTestData.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

using testdata::AwkwardRecords;
using testdata::SeoulOffset;
using testdata::SeoulWallClock;

ParseOptions SeoulOptions() {
    ParseOptions options;
    options.now = 1'700'000'000;
    options.localInstant = SeoulWallClock;
    return options;
}

TEST(TransferRoundTripTest, CsvAndJsonGiveBackEveryRecordExactly) {
    const auto records = AwkwardRecords(10'000);
    const ShipmentExporter exporter(SeoulOffset);
    for (const bool csv : {true, false}) {
        const ParseResult result =
            ShipmentFileParser(SeoulOptions()).Parse(csv ? exporter.ToCsv(records) : exporter.ToJson(records));
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
    TransferRecord record;
    record.id = 7;
    record.courierName = u"우체국";
    record.courierCode = 1;
    record.invoiceNumber = u"1234-5678";
    record.itemName = u"=책";
    record.orderDate = 1'796'619'780; // 2026-12-07 05:03:00 UTC
    record.entryDate = record.orderDate + 60;
    record.status = 2;
    const std::string csv = ShipmentExporter(SeoulOffset).ToCsv({&record, 1});
    EXPECT_EQ(csv, "\xEF\xBB\xBF"
                   "id,courier,courierCode,courierIndex,invoiceNumber,itemName,orderDate,entryDate,status\r\n"
                   "7,\xEC\x9A\xB0\xEC\xB2\xB4\xEA\xB5\xAD,1,,1234-5678,'=\xEC\xB1\x85,"
                   "2026-12-07T14:03:00+09:00,2026-12-07T14:04:00+09:00,2\r\n");
    const std::string json = ShipmentExporter(SeoulOffset).ToJson({&record, 1});
    EXPECT_NE(json.find("\"format\": \"parcelo\""), std::string::npos);
    EXPECT_NE(json.find("\"courierIndex\": null"), std::string::npos);
    EXPECT_NE(json.find("\"itemName\": \"=\xEC\xB1\x85\""), std::string::npos); // no guard in JSON
}

TEST(IsoDateTimeTest, FormatsOffsetsAndReadsTheUsualForms) {
    const auto seoul = [](int64_t wall) { return SeoulWallClock(wall); };
    const int64_t instant = 1'796'619'780;
    EXPECT_EQ(FormatIsoDateTime(instant, 9 * 3600), "2026-12-07T14:03:00+09:00");
    EXPECT_EQ(FormatIsoDateTime(instant, -(3 * 3600 + 30 * 60)), "2026-12-07T01:33:00-03:30");
    // Local mean time of old zone rules: not whole minutes, so written in UTC.
    EXPECT_EQ(FormatIsoDateTime(instant, 30'472), "2026-12-07T05:03:00Z");

    for (const char16_t* text : {u"2026-12-07T14:03:00+09:00", u"2026-12-07T05:03:00Z", u"2026-12-07 14:03",
                                 u"2026.12.07 14:03:00.250", u"2026-12-07T06:03:00+0100", u"2026-12-07T14:03+09"}) {
        EXPECT_EQ(ParseIsoDateTime(text, seoul), instant) << std::string(text, text + 10);
    }
    EXPECT_EQ(ParseIsoDateTime(u"2026-12-07", seoul), instant - (14 * 3600 + 3 * 60));
    EXPECT_EQ(ParseIsoDateTime(u"2024-02-29", seoul).has_value(), true);
    for (const char16_t* text :
         {u"2026-02-29", u"2026-12-07T24:00", u"2026-12-07T14:03:00+09:00x", u"2026-12-07T14:3", u"26-12-07", u""}) {
        EXPECT_FALSE(ParseIsoDateTime(text, seoul).has_value());
    }
}

TEST(IsoDateTimeTest, LocalOffsetFollowsTz) {
    const test::ScopedEnv zone("TZ", "KST-9");
    EXPECT_EQ(LocalUtcOffset(1'796'619'780), 9 * 3600);
    EXPECT_EQ(LocalWallClockToInstant(1'796'619'780 + 9 * 3600), 1'796'619'780);
}

} // namespace
} // namespace parcelo

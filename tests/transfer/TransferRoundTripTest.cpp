#include "store/StoreTestSupport.h"
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

} // namespace
} // namespace parcelo

#include "transfer/ShipmentTransfer.h"

#include "couriers/CourierDetector.h"
#include "platform/AtomicFile.h"
#include "store/StoreTestSupport.h"

#include <SQLiteCpp/Database.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace parcelo {
namespace {

namespace fs = std::filesystem;
using Error = ShipmentTransfer::Error;
using Format = ShipmentTransfer::Format;

constexpr Instant kStart = 1'700'000'000;

Courier MakeCourier(std::u16string_view name, int32_t code) {
    Courier courier{};
    std::copy(name.begin(), name.end(), courier.name);
    courier.code = code;
    return courier;
}

using Row = std::tuple<int32_t, std::u16string, std::u16string, Instant, Instant, int32_t>;

std::vector<Row> Rows(CShipmentDatabase& store) {
    std::vector<Shipment> shipments;
    EXPECT_TRUE(store.Query({}, shipments));
    std::vector<Row> rows;
    for (const Shipment& s : shipments) {
        rows.emplace_back(s.courierIndex, s.invoiceNumber, s.itemName, s.orderDate, s.entryDate, s.status);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

class ShipmentTransferTest : public test::StoreFolderTest {
protected:
    void SetUp() override { ASSERT_TRUE(OpenStore(m_store)); }

    void Add(int32_t courier, std::u16string number, std::u16string item, int32_t status = 0, Instant at = kStart) {
        Shipment shipment{courier, std::move(number), std::move(item), at, at - 3600, status};
        ASSERT_TRUE(m_store.Add(shipment));
    }

    // UTC, so that the dates in the files are fixed.
    ShipmentTransfer Transfer(CShipmentDatabase& store, const CourierDetector* detector = nullptr) {
        return ShipmentTransfer(store, m_couriers, detector, [](int64_t) { return 0; });
    }
    ShipmentTransfer Transfer() { return Transfer(m_store); }

    CShipmentDatabase m_store;
    std::vector<Courier> m_couriers = {MakeCourier(u"CJ대한통운", 1), MakeCourier(u"우체국택배", 2),
                                       MakeCourier(u"Hanjin", 5)};
};

TEST_F(ShipmentTransferTest, WhatIsExportedImportsIntoAFreshStoreAsTheSameShipments) {
    Add(0, u"111122223333", u"이어폰, \"큰\" 상자\n두 줄", 1);
    Add(1, u"6012-3456-7890-1", u"@cmd", 2, kStart + 7);
    Add(2, u"EE123456785KR", u"", 0, kStart - 86'400LL * 400);
    for (const char* name : {"all.csv", "all.json"}) {
        SCOPED_TRACE(name);
        const std::string path = PathOf(name).string();
        size_t exported = 0;
        ASSERT_EQ(Transfer().Export(path, ShipmentTransfer::FormatOf(name).value(), {}, &exported), Error::None);
        EXPECT_EQ(exported, 3u);

        CShipmentDatabase fresh;
        ASSERT_TRUE(OpenStore(fresh, std::string("fresh-") + name + ".edb"));
        ShipmentTransfer transfer = Transfer(fresh);
        ImportPlan plan;
        ASSERT_EQ(transfer.PlanImport(path, plan), Error::None);
        EXPECT_EQ(plan.summary, u"3건 추가, 0건 중복, 0건 오류");
        EXPECT_TRUE(Rows(fresh).empty()) << "planning wrote";
        ASSERT_EQ(transfer.CommitImport(plan), Error::None);
        EXPECT_EQ(Rows(fresh), Rows(m_store));

        // The same file again adds nothing.
        ASSERT_EQ(transfer.PlanImport(path, plan), Error::None);
        EXPECT_EQ(plan.summary, u"0건 추가, 3건 중복, 0건 오류");
    }
    // An export gives each shipment its courier, keeps an unknown one's index, and lists
    // the newest entry first, as the list shows them; a query narrows it.
    Add(7, u"999", u"=SUM(A1)", 0, kStart + 60);
    const std::string json = Transfer().ExportBytes(Format::Json).value_or("");
    const size_t known =
        json.find(R"("courier": "CJ대한통운", "courierCode": 1, "courierIndex": 0, "invoiceNumber": "111122223333")");
    EXPECT_NE(known, std::string::npos) << json;
    EXPECT_LT(json.find(R"("courier": "", "courierCode": null, "courierIndex": 7, "invoiceNumber": "999")"), known);
    const std::string csv = Transfer().ExportBytes(Format::Csv, ShipmentQuery{Done, {}, true, {}}).value_or("");
    EXPECT_NE(csv.find("111122223333"), std::string::npos);
    EXPECT_EQ(csv.find("6012-3456-7890-1"), std::string::npos);
    EXPECT_FALSE(ShipmentTransfer::FormatOf("folder.csv/list").has_value());
    EXPECT_EQ(ShipmentTransfer::FormatOf("LIST.JSON"), Format::Json);
}

TEST_F(ShipmentTransferTest, ImportFindsCouriersTellsDuplicatesAndRefusesWhatItShouldNotReadOrCannotStore) {
    Add(0, u"111122223333", u"stored");
    const CourierDetector detector({{0, u"\\d{12}", u""}, {1, u"\\d{13}", u""}, {2, u"\\d{13}", u""}},
                                   [](std::string_view) {});
    // The file's courierIndex is not trusted: a courier is found by name, then code, then detection.
    const std::string file = "courier,courierCode,courierIndex,invoiceNumber,itemName\n"
                             "cj대한통운,,,1111-2222-3333,stored again\n" // by name, stored with hyphens dropped
                             "아무개,2,0,1234567890123,by code\n"
                             " hanjin ,,0,X1,by name ignoring case\n"
                             "hanjin,,,X1,twice in the file\n"
                             "모르는 택배,,,222233334444,detected\n"
                             "모르는 택배,,,1234567890123,two couriers accept it\n"
                             "모르는 택배,,,abc,none accepts it\n";
    const ImportPlan withDetection = Transfer(m_store, &detector).PlanImportBytes(file);
    EXPECT_EQ(withDetection.summary, u"3건 추가, 2건 중복, 2건 오류");
    std::vector<std::pair<int32_t, std::u16string>> added;
    for (const ParsedShipment& shipment : withDetection.toAdd) {
        added.emplace_back(*shipment.record.courierIndex, shipment.record.itemName);
    }
    EXPECT_EQ(added, (std::vector<std::pair<int32_t, std::u16string>>{
                         {1, u"by code"}, {2, u"by name ignoring case"}, {0, u"detected"}}));
    ASSERT_EQ(withDetection.errors.size(), 2u);
    EXPECT_EQ(withDetection.errors[0].line, 7u);
    EXPECT_NE(withDetection.errors[0].reason.find(u"(후보: 우체국택배, Hanjin)"), std::u16string::npos);
    EXPECT_EQ(withDetection.errors[1].line, 8u);
    EXPECT_EQ(Transfer().PlanImportBytes(file).summary, u"2건 추가, 2건 중복, 3건 오류");

    // Files it should not read and imports the store cannot take write nothing.
    ImportPlan plan;
    ShipmentTransfer transfer = Transfer();
    const fs::path fifo = PathOf("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const fs::path huge = m_folder.Write("huge.csv", "courier,invoiceNumber\n");
    fs::resize_file(huge, ShipmentTransfer::kMaxImportBytes + 1); // sparse: nothing is written
    const std::pair<fs::path, Error> files[] = {
        {PathOf("missing.csv"), Error::NotFound},
        {m_folder.Path(), Error::NotRegularFile},
        {fifo, Error::NotRegularFile}, // or it blocked
        {huge, Error::TooLarge},
        {m_folder.Write("garbage.json", "{\"format\": \"other\"}"), Error::Unrecognised}};
    for (const auto& [file, error] : files) {
        EXPECT_EQ(transfer.PlanImport(file.string(), plan), error) << file;
    }
    EXPECT_TRUE(plan.failed);
    EXPECT_EQ(transfer.CommitImport(plan), Error::Unrecognised);
    EXPECT_EQ(Rows(m_store).size(), 1u);
    // A file is read whole up to its limit; one that says it is empty in stat may still have content.
    std::string bytes;
    EXPECT_EQ(ReadFileBounded(m_folder.Write("data", std::string(100, 'a')).string(), 100, bytes), FileStatus::Ok);
    EXPECT_EQ(ReadFileBounded(PathOf("data").string(), 99, bytes), FileStatus::TooLarge);
    EXPECT_EQ(ReadFileBounded("/proc/self/status", 1 << 20, bytes), FileStatus::Ok);

    // An import the store cannot take adds nothing and says so.
    plan = transfer.PlanImportBytes("courier,invoiceNumber\nCJ대한통운,1\nHanjin,2\n");
    ASSERT_EQ(plan.toAdd.size(), 2u);
    SQLite::Database other(PathOf("VELDAN.EDB"), SQLite::OPEN_READWRITE);
    other.exec("BEGIN IMMEDIATE"); // holds the write lock past the store's busy timeout
    EXPECT_EQ(transfer.CommitImport(plan), Error::StoreFailed);
    other.exec("ROLLBACK");
    EXPECT_EQ(Rows(m_store).size(), 1u);
    EXPECT_EQ(transfer.CommitImport(plan), Error::None);
    EXPECT_EQ(Rows(m_store).size(), 3u);
}

TEST_F(ShipmentTransferTest, ExportReplacesAFileWholeOrLeavesItAlone) {
    Add(0, u"111122223333", u"이어폰");
    const fs::path target = m_folder.Write("list.csv", "old contents");
    chmod(target.c_str(), 0640);
    ASSERT_EQ(Transfer().Export(target.string(), Format::Csv), Error::None);
    EXPECT_NE(test::FileBytes(target).find("111122223333"), std::string::npos);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640)) << "mode of the file kept";

    fs::create_directory(PathOf("folder.csv"));
    EXPECT_EQ(Transfer().Export(PathOf("folder.csv").string(), Format::Csv), Error::NotRegularFile);
    EXPECT_TRUE(fs::is_directory(PathOf("folder.csv")));
    EXPECT_EQ(Transfer().Export((PathOf("missing") / "list.csv").string(), Format::Csv), Error::NotFound);
    // The store's three files, the folder and the list: no temporary file is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.Path()), fs::directory_iterator()), 5);
}

} // namespace
} // namespace parcelo

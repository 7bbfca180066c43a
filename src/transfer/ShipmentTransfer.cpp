#include "transfer/ShipmentTransfer.h"

#include "couriers/CourierDetector.h"
#include "platform/Translation.h"
#include "transfer/ShipmentExporter.h"
#include "transfer/ShipmentFileParser.h"
#include "platform/TextFolding.h"

#include <algorithm>
#include <ctime>
#include <set>
#include <tuple>
#include <unordered_set>
#include <utility>

namespace parcelo {

namespace {

ShipmentTransfer::Error ErrorOfFile(FileStatus status) {
    switch (status) {
    case FileStatus::Ok:
        return ShipmentTransfer::Error::None;
    case FileStatus::NotFound:
        return ShipmentTransfer::Error::NotFound;
    case FileStatus::NotRegularFile:
        return ShipmentTransfer::Error::NotRegularFile;
    case FileStatus::TooLarge:
        return ShipmentTransfer::Error::TooLarge;
    case FileStatus::Full:
        return ShipmentTransfer::Error::DiskFull;
    case FileStatus::Denied:
        return ShipmentTransfer::Error::Denied;
    case FileStatus::Failed:
        break;
    }
    return ShipmentTransfer::Error::WriteFailed;
}

// A stored shipment's courier and normalised number, as the importer compares them.
struct StoredKey {
    int32_t courier = 0;
    std::u16string number;
    bool operator==(const StoredKey&) const = default;
};

struct StoredKeyHash {
    size_t operator()(const StoredKey& key) const {
        return std::hash<std::u16string>()(key.number) * 31 + static_cast<size_t>(key.courier);
    }
};

} // namespace

ShipmentTransfer::ShipmentTransfer(CShipmentDatabase& store, const std::vector<Courier>& couriers,
                                   const CourierDetector* detector, UtcOffsetFunction utcOffset)
    : m_store(store), m_couriers(couriers), m_detector(detector), m_utcOffset(std::move(utcOffset)) {}

std::optional<ShipmentTransfer::Format> ShipmentTransfer::FormatOf(std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || fileName.find('/', dot) != std::string_view::npos) {
        return std::nullopt;
    }
    std::string extension(fileName.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (extension == "csv") {
        return Format::Csv;
    }
    if (extension == "json") {
        return Format::Json;
    }
    return std::nullopt;
}

TransferRecord ShipmentTransfer::ToRecord(const Shipment& shipment, const std::vector<Courier>& couriers) {
    TransferRecord record;
    record.id = shipment.id;
    if (const Courier* courier = FindCourier(couriers, shipment.courierIndex)) {
        record.courierName = std::u16string(FieldView(courier->name));
        record.courierCode = courier->code;
    }
    record.courierIndex = shipment.courierIndex;
    record.invoiceNumber = shipment.invoiceNumber;
    record.itemName = shipment.itemName;
    record.orderDate = shipment.orderDate;
    record.entryDate = shipment.entryDate;
    record.status = shipment.status;
    return record;
}

Shipment ShipmentTransfer::ToShipment(const TransferRecord& record) {
    Shipment shipment;
    shipment.courierIndex = record.courierIndex.value_or(0);
    shipment.invoiceNumber = record.invoiceNumber;
    shipment.itemName = record.itemName;
    shipment.orderDate = record.orderDate;
    shipment.entryDate = record.entryDate;
    shipment.status = record.status;
    return shipment;
}

std::optional<std::string> ShipmentTransfer::ExportBytes(Format format, const ShipmentQuery& query) {
    std::vector<Shipment> shipments;
    if (!m_store.Query(query, shipments)) {
        return std::nullopt;
    }
    std::vector<TransferRecord> records;
    records.reserve(shipments.size());
    for (const Shipment& shipment : shipments) {
        records.push_back(ToRecord(shipment, m_couriers));
    }
    const ShipmentExporter exporter(m_utcOffset);
    return format == Format::Csv ? exporter.ToCsv(records) : exporter.ToJson(records);
}

ShipmentTransfer::Error ShipmentTransfer::Export(const std::string& file, Format format, const ShipmentQuery& query,
                                                 size_t* exported, const ShipmentFilter& keep) {
    std::vector<Shipment> shipments;
    if (!m_store.Query(query, shipments)) {
        return Error::StoreFailed;
    }
    std::vector<TransferRecord> records;
    records.reserve(shipments.size());
    for (const Shipment& shipment : shipments) {
        if (keep && !keep(shipment)) {
            continue;
        }
        records.push_back(ToRecord(shipment, m_couriers));
    }
    shipments = {};
    const ShipmentExporter exporter(m_utcOffset);
    const std::string bytes = format == Format::Csv ? exporter.ToCsv(records) : exporter.ToJson(records);
    const Error error = ErrorOfFile(WriteFileAtomically(file, bytes));
    if (error == Error::None && exported != nullptr) {
        *exported = records.size();
    }
    return error;
}

std::vector<std::u16string> ShipmentTransfer::CourierNames() const {
    std::vector<std::u16string> names;
    names.reserve(m_couriers.size());
    for (const Courier& courier : m_couriers) {
        names.push_back(std::u16string(FieldView(courier.name)));
    }
    return names;
}

std::vector<int32_t> ShipmentTransfer::CourierCodes() const {
    std::vector<int32_t> codes;
    codes.reserve(m_couriers.size());
    for (const Courier& courier : m_couriers) {
        codes.push_back(courier.code);
    }
    return codes;
}

// A shipment whose courier the list has neither by name nor by code takes the one
// courier that detection finds for its number; with none or several it stays unknown.
std::map<size_t, std::u16string> ShipmentTransfer::DetectUnknownCouriers(ParseResult& parsed) const {
    std::map<size_t, std::u16string> ambiguous;
    if (m_detector == nullptr || parsed.shipments.empty()) {
        return ambiguous;
    }
    const ImportPlan lookup = ShipmentImporter(CourierNames(), CourierCodes(), {}).Plan(parsed);
    std::set<size_t> unknown;
    for (const ImportError& error : lookup.errors) {
        unknown.insert(error.line);
    }
    for (const ImportError& error : parsed.errors) {
        unknown.erase(error.line);
    }
    for (ParsedShipment& shipment : parsed.shipments) {
        if (unknown.count(shipment.line) == 0) {
            continue;
        }
        const std::vector<int> found = m_detector->Detect(shipment.record.invoiceNumber);
        const Courier* courier = FindCourier(m_couriers, m_detector->Pick(found));
        if (courier == nullptr) {
            std::u16string names;
            for (const int candidate : found) {
                if (const Courier* named = FindCourier(m_couriers, candidate)) {
                    names += (names.empty() ? u"" : u", ") + std::u16string(FieldView(named->name));
                }
            }
            if (!names.empty()) {
                ambiguous.emplace(shipment.line, std::move(names));
            }
            continue;
        }
        shipment.record.courierName = std::u16string(FieldView(courier->name));
        shipment.record.courierCode = courier->code;
    }
    return ambiguous;
}

ImportPlan ShipmentTransfer::PlanImportBytes(std::string_view bytes) {
    ParseOptions options;
    options.now = static_cast<int64_t>(std::time(nullptr));
    options.localInstant = LocalWallClockToInstant;
    options.maxBytes = kMaxImportBytes;
    ParseResult parsed = ShipmentFileParser(options).Parse(bytes);
    const std::map<size_t, std::u16string> ambiguous = DetectUnknownCouriers(parsed);

    std::vector<Shipment> stored;
    std::unordered_set<StoredKey, StoredKeyHash> keys;
    if (m_store.Query({}, stored)) {
        keys.reserve(stored.size());
        for (const Shipment& shipment : stored) {
            keys.insert({shipment.courierIndex, NormaliseInvoiceNumber(shipment.invoiceNumber)});
        }
    }
    const bool storeRead = m_store.LastError() == StoreError::None;
    const ShipmentImporter importer(CourierNames(), CourierCodes(),
                                    [&keys](int32_t courier, std::u16string_view number) {
                                        return keys.count({courier, std::u16string(number)}) != 0;
                                    });
    ImportPlan plan = importer.Plan(parsed);
    for (ImportError& error : plan.errors) {
        if (const auto it = ambiguous.find(error.line); it != ambiguous.end()) {
            error.reason += FormatText(PARCELO_TR("ShipmentTransfer", " (후보: %1)"), {it->second});
        }
    }
    if (!storeRead) {
        // Without the stored shipments duplicates cannot be told: nothing may be added.
        plan.failed = true;
        plan.toAdd.clear();
        plan.errors.insert(plan.errors.begin(),
                           {0, PARCELO_TR("ShipmentTransfer", "배송 목록 데이터베이스를 읽지 못했습니다.")});
        plan.summary = ShipmentImporter::Summary(0, plan.duplicates.size(), plan.errors.size());
    }
    return plan;
}

ShipmentTransfer::Error ShipmentTransfer::PlanImport(const std::string& file, ImportPlan& plan) {
    plan = {};
    std::string bytes;
    const FileStatus status = ReadFileBounded(file, kMaxImportBytes, bytes);
    if (status != FileStatus::Ok) {
        const Error error = ErrorOfFile(status);
        return error == Error::WriteFailed || error == Error::DiskFull || error == Error::Denied ? Error::Unreadable
                                                                                                 : error;
    }
    plan = PlanImportBytes(bytes);
    if (plan.failed) {
        return m_store.LastError() == StoreError::None ? Error::Unrecognised : Error::StoreFailed;
    }
    return Error::None;
}

ShipmentTransfer::Error ShipmentTransfer::CommitImport(const ImportPlan& plan) {
    if (plan.failed) {
        return Error::Unrecognised;
    }
    // Added oldest entry first, so that the store's order of shipments with equal entry
    // dates (the one added later counts as newer) comes back from a file of ours whatever
    // order it lists them in: their ids there tell the order they were added in.
    std::vector<const TransferRecord*> records;
    records.reserve(plan.toAdd.size());
    for (const ParsedShipment& parsed : plan.toAdd) {
        records.push_back(&parsed.record);
    }
    std::stable_sort(records.begin(), records.end(), [](const TransferRecord* a, const TransferRecord* b) {
        return std::tie(a->entryDate, a->id) < std::tie(b->entryDate, b->id);
    });
    std::vector<Shipment> shipments;
    shipments.reserve(records.size());
    for (const TransferRecord* record : records) {
        shipments.push_back(ToShipment(*record));
    }
    if (shipments.empty()) {
        return Error::None;
    }
    return m_store.AddBatch(shipments) ? Error::None : Error::StoreFailed;
}

std::u16string DescribeTransferError(ShipmentTransfer::Error error) {
    using Error = ShipmentTransfer::Error;
    switch (error) {
    case Error::None:
        return PARCELO_TR("ShipmentTransfer", "성공했습니다.");
    case Error::StoreFailed:
        return PARCELO_TR("ShipmentTransfer", "배송 목록 데이터베이스를 읽거나 쓰지 못했습니다.");
    case Error::NotFound:
        return PARCELO_TR("ShipmentTransfer", "파일이 없습니다.");
    case Error::NotRegularFile:
        return PARCELO_TR("ShipmentTransfer", "일반 파일이 아닙니다.");
    case Error::TooLarge:
        return PARCELO_TR("ShipmentTransfer", "파일이 너무 큽니다 (200MB 이하만 가져올 수 있습니다).");
    case Error::Unreadable:
        return PARCELO_TR("ShipmentTransfer", "파일을 읽지 못했습니다.");
    case Error::Unrecognised:
        return PARCELO_TR("ShipmentTransfer", "배송 목록 파일로 읽을 수 없습니다.");
    case Error::Denied:
        return PARCELO_TR("ShipmentTransfer", "파일을 쓸 권한이 없습니다.");
    case Error::DiskFull:
        return PARCELO_TR("ShipmentTransfer", "디스크 공간이 부족합니다.");
    case Error::WriteFailed:
        return PARCELO_TR("ShipmentTransfer", "파일을 쓰지 못했습니다.");
    }
    return PARCELO_TR("ShipmentTransfer", "알 수 없는 오류입니다.");
}

} // namespace parcelo

#include "transfer/ShipmentExporter.h"

#include "platform/CodePage.h"
#include "transfer/CsvWriter.h"

#include <nlohmann/json.hpp>

namespace parcelo {

ShipmentExporter::ShipmentExporter(UtcOffsetFunction utcOffset) : m_utcOffset(std::move(utcOffset)) {}

std::string ShipmentExporter::Date(int64_t instant) const {
    return FormatIsoDateTime(instant, m_utcOffset(instant));
}

std::string ShipmentExporter::ToCsv(std::span<const TransferRecord> records) const {
    CsvWriter csv;
    for (const char* name : {"id", "courier", "courierCode", "courierIndex", "invoiceNumber", "itemName", "orderDate",
                             "entryDate", "status"}) {
        csv.PlainField(name);
    }
    csv.EndRow();
    const auto optionalNumber = [](const std::optional<int32_t>& value) {
        return value ? std::to_string(*value) : std::string();
    };
    for (const TransferRecord& record : records) {
        csv.PlainField(std::to_string(record.id));
        csv.TextField(record.courierName);
        csv.PlainField(optionalNumber(record.courierCode));
        csv.PlainField(optionalNumber(record.courierIndex));
        csv.TextField(record.invoiceNumber);
        csv.TextField(record.itemName);
        csv.PlainField(Date(record.orderDate));
        csv.PlainField(Date(record.entryDate));
        csv.PlainField(std::to_string(record.status));
        csv.EndRow();
    }
    return csv.Take();
}

std::string ShipmentExporter::ToJson(std::span<const TransferRecord> records) const {
    using Json = nlohmann::ordered_json;
    Json shipments = Json::array();
    const auto optionalNumber = [](const std::optional<int32_t>& value) { return value ? Json(*value) : Json(); };
    for (const TransferRecord& record : records) {
        Json shipment = Json::object();
        shipment["id"] = record.id;
        shipment["courier"] = Utf16ToUtf8(record.courierName);
        shipment["courierCode"] = optionalNumber(record.courierCode);
        shipment["courierIndex"] = optionalNumber(record.courierIndex);
        shipment["invoiceNumber"] = Utf16ToUtf8(record.invoiceNumber);
        shipment["itemName"] = Utf16ToUtf8(record.itemName);
        shipment["orderDate"] = Date(record.orderDate);
        shipment["entryDate"] = Date(record.entryDate);
        shipment["status"] = record.status;
        shipments.push_back(std::move(shipment));
    }
    Json document = Json::object();
    document["format"] = "parcelo";
    document["version"] = 1;
    document["shipments"] = std::move(shipments);
    // Utf16ToUtf8 only ever gives valid UTF-8, so dump cannot meet a bad byte.
    return document.dump(2) + "\n";
}

} // namespace parcelo

#include "transfer/ShipmentExporter.h"

#include "transfer/CsvWriter.h"
#include "transfer/Utf8Output.h"

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
    // Written directly, one shipment per line: a DOM of 100,000 shipments would cost
    // more than the text itself.
    std::string out = "{\n  \"format\": \"parcelo\",\n  \"version\": 1,\n  \"shipments\": [";
    out.reserve(records.size() * 300 + 64);
    const auto optionalNumber = [&out](const std::optional<int32_t>& value) {
        out += value ? std::to_string(*value) : std::string("null");
    };
    const char* separator = "\n    ";
    for (const TransferRecord& record : records) {
        out += separator;
        separator = ",\n    ";
        out += "{\"id\": ";
        out += std::to_string(record.id);
        out += ", \"courier\": ";
        AppendJsonString(out, record.courierName);
        out += ", \"courierCode\": ";
        optionalNumber(record.courierCode);
        out += ", \"courierIndex\": ";
        optionalNumber(record.courierIndex);
        out += ", \"invoiceNumber\": ";
        AppendJsonString(out, record.invoiceNumber);
        out += ", \"itemName\": ";
        AppendJsonString(out, record.itemName);
        out += ", \"orderDate\": \"";
        out += Date(record.orderDate);
        out += "\", \"entryDate\": \"";
        out += Date(record.entryDate);
        out += "\", \"status\": ";
        out += std::to_string(record.status);
        out += "}";
    }
    out += records.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

} // namespace parcelo

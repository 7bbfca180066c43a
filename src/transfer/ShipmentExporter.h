#pragma once

#include "platform/Iso8601.h"
#include "platform/LocalTime.h"
#include "transfer/TransferRecord.h"

#include <span>
#include <string>

namespace parcelo {

// Writes shipments to a file's bytes; ShipmentFileParser reads both forms back.
//
// CSV: UTF-8 with a byte-order mark (see CsvWriter), a header row
//   id,courier,courierCode,courierIndex,invoiceNumber,itemName,orderDate,entryDate,status
// then one row per shipment. Dates are ISO 8601 with the offset of the local zone at
// that instant; status is 0 (in delivery), 1 (done) or 2 (cancelled). Text cells carry
// the formula guard.
// JSON: UTF-8 without a mark, one object
//   {"format": "parcelo", "version": 1, "shipments": [{"id": ..., "courier": ...}, ...]}
// with the same names and values as the CSV columns, one shipment per line; an absent
// courier code or index is null.
class ShipmentExporter {
public:
    explicit ShipmentExporter(UtcOffsetFunction utcOffset = LocalUtcOffset);

    std::string ToCsv(std::span<const TransferRecord> records) const;
    std::string ToJson(std::span<const TransferRecord> records) const;

private:
    std::string Date(int64_t instant) const;

    UtcOffsetFunction m_utcOffset;
};

} // namespace parcelo

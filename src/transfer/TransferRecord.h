#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace parcelo {

// One shipment as it is exported and imported: the stored fields with the courier's
// name and code beside its position, so that a file stays meaningful when the courier
// list changes. Dates are seconds since 1970-01-01 00:00:00 UTC.
struct TransferRecord {
    int64_t id = 0; // 0 when the file has none
    std::u16string courierName;
    std::optional<int32_t> courierCode;  // absent when the file has no value
    std::optional<int32_t> courierIndex; // as exported; the importer maps couriers by name, then code
    std::u16string invoiceNumber;
    std::u16string itemName;
    int64_t orderDate = 0;
    int64_t entryDate = 0;
    int32_t status = 0; // 0 in delivery, 1 done, 2 cancelled

    bool operator==(const TransferRecord&) const = default;
};

} // namespace parcelo

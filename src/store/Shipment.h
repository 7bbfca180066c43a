#pragma once

#include <cstdint>
#include <string>

namespace parcelo {

// Whole seconds since 1970-01-01 00:00:00 UTC.
using Instant = int64_t;

enum ShipmentStatus { InDelivery = 0, Done = 1, Cancelled = 2 };

// Filter value that shows every shipment; any other value is a status code.
constexpr int FILTER_ALL = -1;

// One tracked parcel.
struct Shipment {
    int32_t courierIndex = 0;
    std::u16string invoiceNumber, itemName;
    Instant entryDate = 0, orderDate = 0;
    int32_t status = 0;
    int64_t id = 0; // the store's id; 0 for a shipment not stored (yet)
};

// The form in which version 1 of the store kept an instant: a count of 100-nanosecond
// intervals since 1601-01-01 of its local wall-clock time (the time zone comes from the
// C library, so TZ applies). The store now keeps instants in UTC.
uint64_t InstantToStoredTime(Instant instant);

// The inverse of InstantToStoredTime; a stored time before the year 1900 gives 0.
Instant StoredTimeToInstant(uint64_t storedTime);

} // namespace parcelo

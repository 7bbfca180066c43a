#pragma once

#include "platform/LocalTime.h"
#include "store/Shipment.h"

#include <cstdint>

namespace parcelo {

// The wall-clock time a stored date-time holds, in seconds since 1970-01-01 00:00:00 of
// the local calendar. False when the value reads back as the instant 0: a year before
// 1900, or a value beyond the date-time layout.
bool StoredTimeToWallClock(uint64_t storedTime, int64_t& wallSeconds);

// StoredTimeToInstant for reading many records in a row.
Instant StoredTimeToInstant(uint64_t storedTime, CLocalTimeComposer& composer);

} // namespace parcelo

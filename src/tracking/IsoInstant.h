#pragma once

#include "store/Shipment.h"

#include <optional>
#include <string_view>

namespace parcelo {

// The instant an ISO 8601 / RFC 3339 date-time names, which must carry its offset:
// "2024-03-05T14:07:00+09:00", "2024-03-05T05:07:00.250Z", "...+0900". Fractions of a
// second are dropped. Anything else (no offset, out-of-range fields, trailing text)
// gives std::nullopt.
std::optional<Instant> ParseIsoInstant(std::string_view text);

} // namespace parcelo

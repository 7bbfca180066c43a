#pragma once

#include "store/TrackingEvent.h"

#include <cstddef>
#include <string>

namespace parcelo {

// The longest place name shown in a list item, in UTF-16 units; a longer one is cut
// and ends in "…" so that the item keeps its three lines.
inline constexpr std::size_t kStatusPlaceLength = 8;

// The plain text of a shipment's latest status for its list item, such as
// "배송출발 12/06 14:03 강남": the short status name, the local month, day and time,
// and the place, trimmed and cut short. Text that is not valid UTF-8 is left out.
std::u16string FormatLatestStatus(const TrackingEvent& latest);

} // namespace parcelo

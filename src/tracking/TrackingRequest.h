#pragma once

#include <string>
#include <string_view>

namespace parcelo {

// The body of a GraphQL POST that asks the tracking service for a parcel's latest event
// and its last 30 events. Both values are UTF-8 and sent as variables, never spliced
// into the query text.
std::string BuildTrackingRequest(std::string_view carrierId, std::string_view trackingNumber);

} // namespace parcelo

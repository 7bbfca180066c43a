#pragma once

#include <string>
#include <string_view>

namespace parcelo {

// The events the service gives at most in one answer; it cuts larger pages to this.
constexpr int kEventsPerPage = 20;

// The body of a GraphQL POST that asks the tracking service for a parcel's current
// event (lastEvent) and the newest page of its events, or with `before` (a page's
// startCursor) the page older than that one. The values are UTF-8 and sent as
// variables, never spliced into the query text.
std::string BuildTrackingRequest(std::string_view carrierId, std::string_view trackingNumber,
                                 std::string_view before = {});

} // namespace parcelo

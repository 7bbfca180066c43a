#include "tracking/TrackingRequest.h"

#include <nlohmann/json.hpp>

namespace parcelo {

namespace {

constexpr const char* kTrackQuery =
    "query Track($carrierId: ID!, $trackingNumber: String!, $before: String) { "
    "track(carrierId: $carrierId, trackingNumber: $trackingNumber) { "
    "lastEvent { time status { code name } description location { name } } "
    "events(last: 20, before: $before) { edges { node { time status { code name } description location { name } } } "
    "pageInfo { hasPreviousPage startCursor } } } }";

} // namespace

std::string BuildTrackingRequest(std::string_view carrierId, std::string_view trackingNumber, std::string_view before) {
    nlohmann::json body;
    body["query"] = kTrackQuery;
    body["variables"] = {{"carrierId", std::string(carrierId)},
                         {"trackingNumber", std::string(trackingNumber)},
                         {"before", before.empty() ? nlohmann::json(nullptr) : nlohmann::json(std::string(before))}};
    // Invalid UTF-8 is replaced rather than thrown on: the number comes from the user.
    return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace parcelo

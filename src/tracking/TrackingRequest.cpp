#include "tracking/TrackingRequest.h"

#include <nlohmann/json.hpp>

namespace parcelo {

namespace {

constexpr const char* kTrackQuery =
    "query Track($carrierId: ID!, $trackingNumber: String!) { "
    "track(carrierId: $carrierId, trackingNumber: $trackingNumber) { "
    "lastEvent { time status { code name } description location { name } } "
    "events(last: 30) { edges { node { time status { code name } description location { name } } } } } }";

} // namespace

std::string BuildTrackingRequest(std::string_view carrierId, std::string_view trackingNumber) {
    nlohmann::json body;
    body["query"] = kTrackQuery;
    body["variables"] = {{"carrierId", std::string(carrierId)}, {"trackingNumber", std::string(trackingNumber)}};
    // Invalid UTF-8 is replaced rather than thrown on: the number comes from the user.
    return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace parcelo

#pragma once

#include "store/TrackingEvent.h"
#include "tracking/TrackingService.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace parcelo::test {

inline TrackingQuery Query(int64_t shipmentId, const std::string& number, const std::string& carrierId = "kr.epost",
                           int32_t courier = -1) {
    return {shipmentId, carrierId, number, courier, false, {}};
}

// An event as the tracking service writes it, with a Korean offset.
inline nlohmann::json EventNode(const std::string& time, const std::string& code, const std::string& place,
                                const std::string& description = "") {
    nlohmann::json node = {{"time", time},
                           {"status", {{"code", code}, {"name", code == "DELIVERED" ? "배달완료" : "이동중"}}},
                           {"description", description}};
    node["location"] = place.empty() ? nlohmann::json(nullptr) : nlohmann::json{{"name", place}};
    return node;
}

inline std::string ErrorAnswer(const std::string& code, const std::string& message = "error") {
    return nlohmann::json{{"errors", {{{"message", message}, {"extensions", {{"code", code}}}}}}, {"data", nullptr}}
        .dump();
}

// The answer of the service to `events(last: 20, before: before)` over a parcel's whole
// history (oldest first): the 20 events before the cursor (an index; none: the end),
// the page's start as its cursor, and lastEvent as the service picks it, the last
// DELIVERED event, else the last one.
inline std::string PagedAnswer(const std::vector<nlohmann::json>& history, const std::string& before) {
    const long end = before.empty() ? static_cast<long>(history.size()) : std::stol(before);
    const long start = end - 20;
    nlohmann::json edges = nlohmann::json::array();
    for (long i = std::max(start, 0L); i < end && i < static_cast<long>(history.size()); ++i) {
        edges.push_back({{"cursor", std::to_string(i)}, {"node", history[static_cast<size_t>(i)]}});
    }
    nlohmann::json last = history.empty() ? nlohmann::json(nullptr) : history.back();
    for (const nlohmann::json& event : history) {
        if (event["status"].is_object() && event["status"]["code"] == "DELIVERED") {
            last = event;
        }
    }
    nlohmann::json track = {
        {"lastEvent", last},
        {"events",
         {{"edges", edges}, {"pageInfo", {{"hasPreviousPage", start > 0}, {"startCursor", std::to_string(start)}}}}}};
    return nlohmann::json{{"data", {{"track", track}}}}.dump();
}

// An answer of the tracking service with these events (at most a page of them), oldest
// first, the last of them also as lastEvent unless an earlier one was DELIVERED.
inline std::string TrackAnswer(const std::vector<nlohmann::json>& events) {
    return PagedAnswer(events, "");
}

} // namespace parcelo::test

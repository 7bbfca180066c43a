#pragma once

#include "store/TrackingEvent.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace parcelo::test {

// An event as the tracking service writes it, with a Korean offset.
inline nlohmann::json EventNode(const std::string& time, const std::string& code, const std::string& place,
                                const std::string& description = "") {
    nlohmann::json node = {{"time", time},
                           {"status", {{"code", code}, {"name", code == "DELIVERED" ? "배달완료" : "이동중"}}},
                           {"description", description}};
    node["location"] = place.empty() ? nlohmann::json(nullptr) : nlohmann::json{{"name", place}};
    return node;
}

// An answer of the tracking service with these events, oldest first, the last of them
// also as lastEvent.
inline std::string TrackAnswer(const std::vector<nlohmann::json>& events) {
    nlohmann::json edges = nlohmann::json::array();
    for (const nlohmann::json& event : events) {
        edges.push_back({{"node", event}});
    }
    nlohmann::json track = {{"lastEvent", events.empty() ? nlohmann::json(nullptr) : events.back()},
                            {"events", {{"edges", edges}}}};
    return nlohmann::json{{"data", {{"track", track}}}}.dump();
}

inline std::string ErrorAnswer(const std::string& code) {
    return nlohmann::json{{"errors", {{{"message", "error"}, {"extensions", {{"code", code}}}}}}, {"data", nullptr}}
        .dump();
}

} // namespace parcelo::test

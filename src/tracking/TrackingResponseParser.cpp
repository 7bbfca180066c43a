#include "tracking/TrackingResponseParser.h"

#include "platform/Iso8601.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace parcelo {

namespace {

using nlohmann::json;

// A string member that may be absent or null; false when it has another type.
bool OptionalString(const json& object, const char* name, std::string& value) {
    const auto found = object.find(name);
    if (found == object.end() || found->is_null()) {
        value.clear();
        return true;
    }
    if (!found->is_string()) {
        return false;
    }
    value = found->get<std::string>();
    return true;
}

std::optional<TrackingEvent> ReadEvent(const json& node) {
    if (!node.is_object()) {
        return std::nullopt;
    }
    TrackingEvent event;
    const auto time = node.find("time");
    if (time == node.end() || !time->is_string()) {
        return std::nullopt;
    }
    const std::optional<Instant> instant = ParseIsoInstant(time->get_ref<const std::string&>());
    if (!instant) {
        return std::nullopt;
    }
    event.time = *instant;
    const auto status = node.find("status");
    if (status == node.end() || !status->is_object()) {
        return std::nullopt;
    }
    const auto code = status->find("code");
    if (code == status->end() || !code->is_string() || !OptionalString(*status, "name", event.statusName)) {
        return std::nullopt;
    }
    event.statusCode = code->get<std::string>();
    if (!OptionalString(node, "description", event.description)) {
        return std::nullopt;
    }
    const auto location = node.find("location");
    if (location != node.end() && !location->is_null()) {
        if (!location->is_object() || !OptionalString(*location, "name", event.location)) {
            return std::nullopt;
        }
    }
    return event;
}

// errors[0].extensions.code; false when `errors` has the wrong shape.
bool ReadError(const json& root, std::string& code) {
    const auto errors = root.find("errors");
    if (errors == root.end() || errors->is_null()) {
        return true;
    }
    if (!errors->is_array()) {
        return false;
    }
    for (const json& error : *errors) {
        if (!error.is_object()) {
            return false;
        }
    }
    if (errors->empty()) {
        return true;
    }
    code = "INTERNAL";
    const json& first = errors->front();
    const auto extensions = first.find("extensions");
    if (extensions != first.end() && extensions->is_object()) {
        const auto value = extensions->find("code");
        if (value != extensions->end() && value->is_string() && !value->get_ref<const std::string&>().empty()) {
            code = value->get<std::string>();
        }
    }
    return true;
}

bool ReadTrack(const json& track, std::vector<TrackingEvent>& events) {
    if (!track.is_object()) {
        return false;
    }
    const auto history = track.find("events");
    if (history != track.end() && !history->is_null()) {
        if (!history->is_object()) {
            return false;
        }
        const auto edges = history->find("edges");
        if (edges == history->end() || !edges->is_array()) {
            return false;
        }
        for (const json& edge : *edges) {
            if (!edge.is_object() || !edge.contains("node")) {
                return false;
            }
            std::optional<TrackingEvent> event = ReadEvent(edge["node"]);
            if (!event) {
                return false;
            }
            events.push_back(std::move(*event));
        }
    }
    const auto last = track.find("lastEvent");
    if (last != track.end() && !last->is_null()) {
        std::optional<TrackingEvent> event = ReadEvent(*last);
        if (!event) {
            return false;
        }
        if (std::find(events.begin(), events.end(), *event) == events.end()) {
            events.push_back(std::move(*event));
        }
    }
    // Oldest first; events of the same second keep the service's order.
    std::stable_sort(events.begin(), events.end(),
                     [](const TrackingEvent& a, const TrackingEvent& b) { return a.time < b.time; });
    return true;
}

} // namespace

std::optional<TrackingResponse> ParseTrackingResponse(const char* data, size_t size) {
    if (data == nullptr || size > kMaxTrackingResponseBytes) {
        return std::nullopt;
    }
    const json root = json::parse(data, data + size, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        return std::nullopt;
    }
    TrackingResponse response;
    if (!ReadError(root, response.errorCode)) {
        return std::nullopt;
    }
    const auto payload = root.find("data");
    if (payload == root.end() || payload->is_null()) {
        if (response.errorCode.empty()) {
            return std::nullopt; // neither data nor an error
        }
        return response;
    }
    if (!payload->is_object()) {
        return std::nullopt;
    }
    const auto track = payload->find("track");
    if (track == payload->end()) {
        return std::nullopt;
    }
    if (!track->is_null() && !ReadTrack(*track, response.events)) {
        return std::nullopt;
    }
    return response;
}

} // namespace parcelo

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

// An event; std::nullopt when a field has a type the schema does not allow. What the
// schema lets be null (time, location, description, the status's name) may be, and
// so may the status itself, which a server of another version may leave out.
std::optional<TrackingEvent> ReadEvent(const json& node) {
    if (!node.is_object()) {
        return std::nullopt;
    }
    TrackingEvent event;
    const auto time = node.find("time");
    if (time != node.end() && time->is_string()) {
        event.time = ParseIsoInstant(time->get_ref<const std::string&>()); // unreadable: no time
    }
    event.statusCode = "UNKNOWN";
    const auto status = node.find("status");
    if (status != node.end() && !status->is_null()) {
        if (!status->is_object() || !OptionalString(*status, "name", event.statusName)) {
            return std::nullopt;
        }
        const auto code = status->find("code");
        if (code != status->end() && !code->is_null()) {
            if (!code->is_string()) {
                return std::nullopt;
            }
            event.statusCode = code->get<std::string>();
        }
    }
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

void SortByTime(std::vector<TrackingEvent>& events) {
    // Untimed events first; events of the same second keep the service's order.
    std::stable_sort(events.begin(), events.end(),
                     [](const TrackingEvent& a, const TrackingEvent& b) { return a.time < b.time; });
}

// errors[0].extensions.code; false when `errors` has the wrong shape.
bool ReadError(const json& root, std::string& code, std::string& message) {
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
    if (!OptionalString(first, "message", message)) {
        message.clear();
    }
    const auto extensions = first.find("extensions");
    if (extensions != first.end() && extensions->is_object()) {
        const auto value = extensions->find("code");
        if (value != extensions->end() && value->is_string() && !value->get_ref<const std::string&>().empty()) {
            code = value->get<std::string>();
        }
    }
    return true;
}

bool ReadTrack(const json& track, TrackingResponse& response) {
    if (!track.is_object()) {
        return false;
    }
    std::vector<TrackingEvent>& events = response.events;
    const auto history = track.find("events");
    if (history != track.end() && !history->is_null()) {
        if (!history->is_object()) {
            return false;
        }
        const auto edges = history->find("edges");
        if (edges != history->end() && !edges->is_null()) {
            if (!edges->is_array()) {
                return false;
            }
            for (const json& edge : *edges) {
                if (edge.is_null()) {
                    continue;
                }
                if (!edge.is_object()) {
                    return false;
                }
                const auto node = edge.find("node");
                if (node == edge.end() || node->is_null()) {
                    continue;
                }
                std::optional<TrackingEvent> event = ReadEvent(*node);
                if (!event) {
                    return false;
                }
                events.push_back(std::move(*event));
            }
        }
        const auto page = history->find("pageInfo");
        if (page != history->end() && page->is_object()) {
            const auto previous = page->find("hasPreviousPage");
            const auto cursor = page->find("startCursor");
            if (previous != page->end() && previous->is_boolean() && cursor != page->end() && cursor->is_string()) {
                response.hasPreviousPage = previous->get<bool>();
                response.startCursor = cursor->get<std::string>();
            }
        }
    }
    const auto last = track.find("lastEvent");
    if (last != track.end() && !last->is_null()) {
        response.lastEvent = ReadEvent(*last);
        if (!response.lastEvent) {
            return false;
        }
        if (std::find(events.begin(), events.end(), *response.lastEvent) == events.end()) {
            events.push_back(*response.lastEvent);
        }
    }
    SortByTime(events);
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
    if (!ReadError(root, response.errorCode, response.errorMessage)) {
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
    if (!track->is_null() && !ReadTrack(*track, response)) {
        return std::nullopt;
    }
    return response;
}

void PrependOlderEvents(std::vector<TrackingEvent>& events, std::vector<TrackingEvent> older) {
    for (TrackingEvent& event : events) {
        if (std::find(older.begin(), older.end(), event) == older.end()) {
            older.push_back(std::move(event));
        }
    }
    events = std::move(older);
    SortByTime(events);
}

} // namespace parcelo

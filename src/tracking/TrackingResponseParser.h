#pragma once

#include "store/TrackingEvent.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace parcelo {

// Larger bodies are refused unread.
constexpr size_t kMaxTrackingResponseBytes = size_t{1024} * 1024;

// What one answer of the tracking service says.
struct TrackingResponse {
    std::vector<TrackingEvent> events;      // oldest first, the untimed ones before all; includes lastEvent
    std::optional<TrackingEvent> lastEvent; // the service's own pick of the current status
    bool hasPreviousPage = false;           // older events than these exist
    std::string startCursor;                // where to ask for them ("before")
    std::string errorCode;                  // errors[0].extensions.code (NOT_FOUND, BAD_REQUEST, ...); empty if none
    std::string errorMessage;               // errors[0].message
};

// Reads a GraphQL answer to the request of BuildTrackingRequest. std::nullopt for a
// body that is too large, not JSON, or not of the expected shape (a missing or
// mistyped field). What the schema lets the service leave out is taken as it comes:
// an edge or node that is null is skipped, an event whose time is null or unreadable
// has no time, a null status reads as UNKNOWN, a null location or description as
// empty. An answer with errors and no data is valid: its events are empty and
// errorCode is set ("INTERNAL" when the error has no code).
std::optional<TrackingResponse> ParseTrackingResponse(const char* data, size_t size);

// Puts the events of an older page before those already read, in time order.
void PrependOlderEvents(std::vector<TrackingEvent>& events, std::vector<TrackingEvent> older);

} // namespace parcelo

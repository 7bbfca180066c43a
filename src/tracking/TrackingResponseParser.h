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
    std::vector<TrackingEvent> events; // oldest first; includes the latest event
    std::string errorCode;             // errors[0].extensions.code (NOT_FOUND, BAD_REQUEST, ...); empty if none
};

// Reads a GraphQL answer to the request of BuildTrackingRequest. std::nullopt for a
// body that is too large, not JSON, or not of the expected shape (a missing or
// mistyped field, a time without an offset). An answer with errors and no data is
// valid: its events are empty and errorCode is set ("INTERNAL" when the error has no code).
std::optional<TrackingResponse> ParseTrackingResponse(const char* data, size_t size);

} // namespace parcelo

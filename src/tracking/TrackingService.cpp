#include "tracking/TrackingService.h"

#include "tracking/TrackingResponseParser.h"

#include <algorithm>
#include <string_view>

namespace parcelo {

namespace {

bool IsCarrierNotFoundMessage(std::string_view message) {
    constexpr std::string_view kMessage = "carrier not found";
    while (!message.empty() && (message.front() == ' ' || message.back() == ' ')) {
        message = message.front() == ' ' ? message.substr(1) : message.substr(0, message.size() - 1);
    }
    return message.size() == kMessage.size() &&
           std::equal(message.begin(), message.end(), kMessage.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

} // namespace

TrackingReply InterpretTrackingAnswer(int status, const char* body, size_t size) {
    TrackingReply reply;
    if (status == 429) {
        reply.outcome = TrackingOutcome::RateLimited;
        return reply;
    }
    if (status >= 500 && status <= 599) {
        reply.outcome = TrackingOutcome::ServerError;
        return reply;
    }
    // GraphQL servers answer errors with 200 or with 4xx and an error body.
    std::optional<TrackingResponse> response = ParseTrackingResponse(body, size);
    if ((status == 401 || status == 403) && (!response || response->errorCode.empty())) {
        reply.outcome = TrackingOutcome::KeyRefused;
        return reply;
    }
    if ((status < 200 || status >= 500) || !response) {
        reply.outcome = TrackingOutcome::Invalid;
        return reply;
    }
    reply.errorCode = response->errorCode;
    if (response->errorCode.empty()) {
        reply.outcome = status < 300 ? TrackingOutcome::Ok : TrackingOutcome::Invalid;
        reply.events = std::move(response->events);
        reply.lastEvent = std::move(response->lastEvent);
        reply.hasPreviousPage = response->hasPreviousPage;
        reply.startCursor = std::move(response->startCursor);
    } else if (response->errorCode == "UNAUTHENTICATED" || response->errorCode == "FORBIDDEN") {
        reply.outcome = TrackingOutcome::KeyRefused;
    } else if (response->errorCode == "NOT_FOUND") {
        // The service's own words for a carrier id it does not know; a parcel it cannot
        // find is NOT_FOUND with the carrier's message, or none.
        reply.outcome = IsCarrierNotFoundMessage(response->errorMessage) ? TrackingOutcome::CarrierUnknown
                                                                         : TrackingOutcome::NotFound;
    } else if (response->errorCode == "BAD_REQUEST") {
        reply.outcome = TrackingOutcome::Rejected;
    } else {
        reply.outcome = TrackingOutcome::ServiceError;
    }
    return reply;
}

std::optional<int64_t> ParseRetryAfter(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
        value.remove_suffix(1);
    }
    if (value.empty()) {
        return std::nullopt;
    }
    int64_t seconds = 0;
    for (char c : value) {
        if (c < '0' || c > '9') {
            return std::nullopt; // an HTTP date: the computed back-off applies
        }
        seconds = std::min<int64_t>(seconds * 10 + (c - '0'), 999'999'999);
    }
    return seconds;
}

} // namespace parcelo

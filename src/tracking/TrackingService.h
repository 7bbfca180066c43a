#pragma once

#include "store/TrackingEvent.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace parcelo {

// One parcel to look up. Text is UTF-8.
struct TrackingQuery {
    int64_t shipmentId = 0;
    std::string carrierId;      // the service's id of the courier, e.g. "kr.cjlogistics"
    std::string trackingNumber; // the invoice number as the courier writes it
};

enum class TrackingOutcome {
    Ok,           // events read (possibly none yet)
    NotFound,     // the service knows no such parcel
    Rejected,     // the service refused the query (BAD_REQUEST: unknown carrier, malformed number)
    KeyRefused,   // the service refused the key (UNAUTHENTICATED, FORBIDDEN, HTTP 401/403)
    ServiceError, // the service answered with another error (INTERNAL, ...)
    RateLimited,  // HTTP 429
    ServerError,  // HTTP 5xx
    BackingOff,   // not sent: the endpoint is still backing off after a 429 or 5xx
    Offline,      // no route, no name resolution, connection refused
    TimedOut,     // no complete answer in time
    Invalid,      // an answer too large, not of the expected shape, or an unsafe redirect
    Cancelled,    // given up by CancelAll
};

// True for the outcomes after which the endpoint should not be asked again for a while.
constexpr bool IsBackOffOutcome(TrackingOutcome outcome) {
    return outcome == TrackingOutcome::RateLimited || outcome == TrackingOutcome::ServerError ||
           outcome == TrackingOutcome::BackingOff;
}

struct TrackingReply {
    TrackingOutcome outcome = TrackingOutcome::Invalid;
    std::vector<TrackingEvent> events; // oldest first, when Ok
    std::string errorCode;             // the service's error code, if it gave one
    std::optional<int64_t> retryAfter; // seconds, from Retry-After
};

// A tracking service. Implementations run requests asynchronously and call back once
// per Track, never from inside Track itself.
class TrackingService {
public:
    using Callback = std::function<void(TrackingReply)>;

    virtual ~TrackingService() = default;
    virtual void Track(const TrackingQuery& query, Callback done) = 0;
    // Gives up every request still running; each calls back with Cancelled.
    virtual void CancelAll() = 0;
};

// What an HTTP answer of the GraphQL tracking service means: `status` is the HTTP
// status, `body` the whole body (at most kMaxTrackingResponseBytes are looked at).
TrackingReply InterpretTrackingAnswer(int status, const char* body, size_t size);

// The delay of a Retry-After header given in seconds; std::nullopt for anything else.
std::optional<int64_t> ParseRetryAfter(std::string_view value);

} // namespace parcelo

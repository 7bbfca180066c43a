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
    int32_t courierIndex = -1;  // the shipment's courier (its CARRIERnn line is nn = index + 1)
    bool firstCheck = false;    // never checked successfully: older pages of events are asked for too
    std::string before;         // the cursor of the page of events to ask for; empty for the newest
};

enum class TrackingOutcome {
    Ok,             // events read (possibly none yet)
    NotFound,       // the service knows no such parcel
    Rejected,       // the service refused the query (BAD_REQUEST: a number the carrier does not take)
    CarrierUnknown, // the service knows no such carrier id (NOT_FOUND "Carrier not found")
    KeyRefused,     // the service refused the key (UNAUTHENTICATED, FORBIDDEN, HTTP 401/403)
    ServiceError,   // the service answered with another error (INTERNAL, ...): this shipment only
    RateLimited,    // HTTP 429
    ServerError,    // HTTP 5xx
    BackingOff,     // not sent: the endpoint is still backing off after a 429 or 5xx
    Offline,        // no route, no name resolution, connection refused
    TimedOut,       // no complete answer in time
    Invalid,        // an answer too large, not of the expected shape, or an unsafe redirect
    Cancelled,      // given up by CancelAll
};

// True for the outcomes after which the endpoint should not be asked again for a while.
constexpr bool IsBackOffOutcome(TrackingOutcome outcome) {
    return outcome == TrackingOutcome::RateLimited || outcome == TrackingOutcome::ServerError ||
           outcome == TrackingOutcome::BackingOff;
}

// True for the outcomes that say the configuration is wrong rather than one shipment.
constexpr bool IsSetupOutcome(TrackingOutcome outcome) {
    return outcome == TrackingOutcome::KeyRefused || outcome == TrackingOutcome::CarrierUnknown;
}

struct TrackingReply {
    TrackingOutcome outcome = TrackingOutcome::Invalid;
    std::vector<TrackingEvent> events;      // oldest first (untimed ones before all), when Ok
    std::optional<TrackingEvent> lastEvent; // the service's current status, when Ok
    bool hasPreviousPage = false;           // older events exist: ask again with `before` = startCursor
    std::string startCursor;
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
// The service reports errors in errors[0].extensions.code, with HTTP 200 or 4xx; a
// 401 or 403 without a readable error is a refused key too.
TrackingReply InterpretTrackingAnswer(int status, const char* body, size_t size);

// The delay of a Retry-After header given in seconds; std::nullopt for anything else.
std::optional<int64_t> ParseRetryAfter(std::string_view value);

} // namespace parcelo

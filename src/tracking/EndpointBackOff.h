#pragma once

#include "store/Shipment.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace parcelo {

// Exponential back-off per endpoint after a 429 or 5xx: the first failure waits
// `firstDelay`, each further one in a row twice as long, up to `maxDelay`. A
// Retry-After delay replaces the computed one, up to `maxRetryAfter`. A success once
// the delay has passed ends it (an answer to a request sent before the failure does not).
class EndpointBackOff {
public:
    struct Settings {
        int64_t firstDelay = 30;             // seconds
        int64_t maxDelay = int64_t{30} * 60; // seconds
        int64_t maxRetryAfter = int64_t{6} * 3600;
    };

    EndpointBackOff() = default;
    explicit EndpointBackOff(Settings settings) : m_settings(settings) {}

    void Failed(const std::string& endpoint, Instant now, std::optional<int64_t> retryAfter = std::nullopt);
    void Succeeded(const std::string& endpoint, Instant now);
    // True when requests may go to the endpoint at `now`.
    bool Ready(const std::string& endpoint, Instant now) const;
    // When the endpoint may be asked again; 0 when it is not backing off.
    Instant ReadyAt(const std::string& endpoint) const;

private:
    struct State {
        int failures = 0;
        Instant readyAt = 0;
    };

    Settings m_settings;
    std::map<std::string, State> m_endpoints;
};

} // namespace parcelo

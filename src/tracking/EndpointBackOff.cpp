#include "tracking/EndpointBackOff.h"

#include <algorithm>

namespace parcelo {

void EndpointBackOff::Failed(const std::string& endpoint, Instant now, std::optional<int64_t> retryAfter) {
    State& state = m_endpoints[endpoint];
    state.failures = std::min(state.failures + 1, 62);
    int64_t delay = m_settings.firstDelay;
    for (int i = 1; i < state.failures && delay < m_settings.maxDelay; ++i) {
        delay *= 2;
    }
    delay = std::min(delay, m_settings.maxDelay);
    if (retryAfter) {
        delay = std::clamp<int64_t>(*retryAfter, 0, m_settings.maxRetryAfter);
    }
    state.readyAt = now + delay;
}

void EndpointBackOff::Succeeded(const std::string& endpoint, Instant now) {
    const auto found = m_endpoints.find(endpoint);
    if (found != m_endpoints.end() && now >= found->second.readyAt) {
        m_endpoints.erase(found);
    }
}

bool EndpointBackOff::Ready(const std::string& endpoint, Instant now) const {
    return now >= ReadyAt(endpoint);
}

Instant EndpointBackOff::ReadyAt(const std::string& endpoint) const {
    const auto found = m_endpoints.find(endpoint);
    return found == m_endpoints.end() ? 0 : found->second.readyAt;
}

} // namespace parcelo

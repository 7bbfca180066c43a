#pragma once

#include "tracking/TrackingService.h"

#include <cstddef>
#include <string>

namespace parcelo {

// The one request of "연결 확인": the first carrier the service knows, which any
// server of the tracking service answers, and only with a key it accepts.
std::string BuildConnectionCheckRequest();

// What the answer to that request says of the address and the key: Ok, KeyRefused,
// RateLimited, ServerError, ServiceError (another error of the service) or Invalid
// (the address answers, but not as the tracking service).
TrackingOutcome InterpretConnectionCheckAnswer(int status, const char* body, size_t size);

// What to tell the user about a connection check, or about the key behind a refresh
// that could not be sent: one Korean sentence for each outcome.
std::u16string ConnectionCheckText(TrackingOutcome outcome);

} // namespace parcelo

// Reads fuzzed bytes as an answer of the tracking service: the parser must not fail,
// what it accepts must hold its events in time order, and an answer is Ok exactly when
// it parses without an error code.
#include "tracking/TrackingResponseParser.h"
#include "tracking/TrackingService.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    const std::optional<parcelo::TrackingResponse> response = parcelo::ParseTrackingResponse(text, size);
    if (response) {
        for (size_t i = 0; i < response->events.size(); ++i) {
            if (i > 0 && response->events[i - 1].time > response->events[i].time) {
                std::abort();
            }
        }
    }
    const parcelo::TrackingReply reply = parcelo::InterpretTrackingAnswer(200, text, size);
    if ((reply.outcome == parcelo::TrackingOutcome::Ok) != (response && response->errorCode.empty())) {
        std::abort();
    }
    return 0;
}

#include "tracking/Clock.h"

#include "platform/LocalTime.h"

namespace parcelo {

Instant SystemClock::Now() const {
    return CurrentInstant();
}

} // namespace parcelo

#include "platform/Clock.h"

#include "platform/LocalTime.h"

namespace parcelo {

Clock::~Clock() = default;

int64_t Clock::Now() const {
    return CurrentInstant();
}

} // namespace parcelo

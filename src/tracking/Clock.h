#pragma once

#include "store/Shipment.h"

namespace parcelo {

// The time source of the tracking code, so that tests can set the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Instant Now() const = 0;
};

// The system clock.
class SystemClock final : public Clock {
public:
    Instant Now() const override;
};

} // namespace parcelo

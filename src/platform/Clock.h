#pragma once

#include <cstdint>

namespace parcelo {

// Where the program asks for the current instant. This class reads the system
// clock; a test gives a fixed or stepping one in its place.
class Clock {
public:
    Clock() = default;
    virtual ~Clock();
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    // Seconds since 1970-01-01 00:00:00 UTC.
    virtual int64_t Now() const;
};

} // namespace parcelo

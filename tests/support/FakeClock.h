#pragma once

#include "platform/Clock.h"

#include <cstdint>

namespace parcelo {

// A clock that shows the instant it was set to until it is set again.
class FakeClock final : public Clock {
public:
    explicit FakeClock(int64_t now) : m_now(now) {}
    ~FakeClock() override = default;
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    int64_t Now() const override { return m_now; }
    void Advance(int64_t seconds) { m_now += seconds; }

private:
    int64_t m_now;
};

} // namespace parcelo

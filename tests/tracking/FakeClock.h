#pragma once

#include "platform/Clock.h"

namespace parcelo::test {

class FakeClock final : public Clock {
public:
    explicit FakeClock(Instant now = 1'709'615'220) : m_now(now) {}
    Instant Now() const override { return m_now; }
    void Set(Instant now) { m_now = now; }
    void Advance(int64_t seconds) { m_now += seconds; }

private:
    Instant m_now;
};

} // namespace parcelo::test

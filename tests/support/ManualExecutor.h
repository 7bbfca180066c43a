#pragma once

#include "platform/Executor.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace parcelo {

// An executor the test runs by hand: posted tasks wait until RunPending, and the
// repeating timers tick when the test says so.
class ManualExecutor final : public Executor {
public:
    struct ManualTimer final : Timer {
        ManualTimer(ManualExecutor& owner, std::chrono::milliseconds interval, std::function<void()> tick)
            : owner(owner), interval(interval), tick(std::move(tick)) {}
        ~ManualTimer() override { std::erase(owner.m_timers, this); }

        ManualExecutor& owner;
        std::chrono::milliseconds interval;
        std::function<void()> tick;
    };

    void Post(std::function<void()> task) override { m_tasks.push_back(std::move(task)); }

    std::unique_ptr<Timer> Repeat(std::chrono::milliseconds interval, std::function<void()> tick) override {
        auto timer = std::make_unique<ManualTimer>(*this, interval, std::move(tick));
        m_timers.push_back(timer.get());
        return timer;
    }

    // Runs the posted tasks, and those they post, until none is left.
    void RunPending() {
        while (!m_tasks.empty()) {
            std::function<void()> task = std::move(m_tasks.front());
            m_tasks.pop_front();
            task();
        }
    }

    // The running timers; Tick calls each once.
    const std::vector<ManualTimer*>& Timers() const { return m_timers; }
    void Tick() {
        const std::vector<ManualTimer*> timers = m_timers;
        for (ManualTimer* timer : timers) {
            timer->tick();
        }
    }

private:
    std::deque<std::function<void()>> m_tasks;
    std::vector<ManualTimer*> m_timers;
};

} // namespace parcelo

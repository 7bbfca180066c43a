#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace parcelo {

// Where the program runs work later, on the thread that owns the executor: the Qt event
// loop in the program, a queue the test empties itself in tests. Nothing posted runs
// inside the call that posts it.
class Executor {
public:
    // A repeating timer; it stops when it goes.
    class Timer {
    public:
        Timer() = default;
        virtual ~Timer() = default;
        Timer(const Timer&) = delete;
        Timer& operator=(const Timer&) = delete;
    };

    Executor() = default;
    virtual ~Executor() = default;
    Executor(const Executor&) = delete;
    Executor& operator=(const Executor&) = delete;

    // Runs `task` once, later. A task still waiting when the executor goes never runs.
    virtual void Post(std::function<void()> task) = 0;
    // Calls `tick` every `interval` (give or take the coarseness of a timer that may
    // run late by some seconds) until the timer returned goes.
    virtual std::unique_ptr<Timer> Repeat(std::chrono::milliseconds interval, std::function<void()> tick) = 0;
};

} // namespace parcelo

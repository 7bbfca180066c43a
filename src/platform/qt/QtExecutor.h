#pragma once

#include "platform/Executor.h"

#include <QObject>

namespace parcelo {

// The executor of the Qt event loop of the thread that makes it. Repeating timers are
// coarse: a tick may come some seconds late, which saves wake-ups.
class QtExecutor final : public Executor {
public:
    QtExecutor() = default;

    void Post(std::function<void()> task) override;
    std::unique_ptr<Timer> Repeat(std::chrono::milliseconds interval, std::function<void()> tick) override;

private:
    QObject m_context; // posted tasks go with it
};

} // namespace parcelo

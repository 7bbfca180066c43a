#include "platform/qt/QtExecutor.h"

#include <QTimer>

namespace parcelo {

namespace {

class QtRepeatingTimer final : public Executor::Timer {
public:
    QtRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) {
        m_timer.setTimerType(Qt::VeryCoarseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(tick));
        m_timer.start(interval);
    }

private:
    QTimer m_timer;
};

} // namespace

void QtExecutor::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(&m_context, std::move(task), Qt::QueuedConnection);
}

std::unique_ptr<Executor::Timer> QtExecutor::Repeat(std::chrono::milliseconds interval, std::function<void()> tick) {
    return std::make_unique<QtRepeatingTimer>(interval, std::move(tick));
}

} // namespace parcelo

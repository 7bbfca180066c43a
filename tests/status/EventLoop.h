#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace parcelo::test {

// Runs the event loop until `done` holds or `timeoutMs` have passed; the result of `done`.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

} // namespace parcelo::test

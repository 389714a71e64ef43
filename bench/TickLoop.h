#pragma once

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>

namespace bench {

// Runs the GUI thread's event loop while tick sources fill their logs. Each source calls done() once, from
// its own thread, when its log is full; the loop ends after the last of them. Lives on the GUI thread.
class TickLoop {
public:
    explicit TickLoop(int sources) : FRemaining(sources) {}

    // For a TickLog's onFull.
    std::function<void()> done()
    {
        return [this] {
            QMetaObject::invokeMethod(
                &FLoop,
                [this] {
                    if (--FRemaining == 0)
                        FLoop.quit();
                },
                Qt::QueuedConnection);
        };
    }

    // A source that never fills its log must not hang the run: gives up after `limit`.
    void run(std::chrono::milliseconds limit)
    {
        QTimer::singleShot(limit, &FLoop, &QEventLoop::quit);
        FLoop.exec();
    }

private:
    QEventLoop FLoop;
    int FRemaining;
};

} // namespace bench

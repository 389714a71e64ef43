#include "BaselineTicker.h"

#include "TimerService.h"

#include <cerrno>
#include <ctime>

namespace bench {

BaselineTicker::BaselineTicker(std::int64_t t0Ns, std::int64_t periodNs, TickLog& log)
    : BaselineTicker(t0Ns, periodNs, [&log] { return log.record(monotonicNs()); })
{
}

BaselineTicker::BaselineTicker(std::int64_t t0Ns, std::int64_t periodNs, std::function<bool()> onTick)
    : FT0Ns(t0Ns),
      FPeriodNs(periodNs),
      FOnTick(std::move(onTick)),
      FThread([this](std::stop_token s) { run(s); })
{
    RaiseTimerThreadPriority(FThread.native_handle()); // the same attempt the timer service makes for its threads
}

void BaselineTicker::run(std::stop_token stop)
{
    std::int64_t deadline = FT0Ns;
    while (!stop.stop_requested()) {
        deadline += FPeriodNs;
        const timespec ts{static_cast<time_t>(deadline / 1'000'000'000), static_cast<long>(deadline % 1'000'000'000)};
        int rc;
        while ((rc = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr)) == EINTR) {
        }
        if (rc != 0 || !FOnTick())
            break;
    }
}

} // namespace bench

#pragma once

#include "TickLog.h"

#include <cstdint>
#include <functional>
#include <thread>

namespace bench {

// The reference a timer is measured against: a plain thread sleeping to absolute CLOCK_MONOTONIC deadlines
// t0 + k * period, at the priority the timer service asks for its own threads. Owned by the measuring code;
// joins its thread on destruction.
class BaselineTicker {
public:
    // Records each wake until the log is full.
    BaselineTicker(std::int64_t t0Ns, std::int64_t periodNs, TickLog& log);
    // Runs `onTick` at each wake until it returns false or the ticker is destroyed.
    BaselineTicker(std::int64_t t0Ns, std::int64_t periodNs, std::function<bool()> onTick);

private:
    void run(std::stop_token stop);

    std::int64_t FT0Ns;
    std::int64_t FPeriodNs;
    std::function<bool()> FOnTick;
    std::jthread FThread; // last: starts after the fields it reads
};

} // namespace bench

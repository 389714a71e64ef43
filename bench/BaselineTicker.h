#pragma once

#include "TickLog.h"

#include <cstdint>
#include <thread>

namespace bench {

// The reference a timer is measured against: a plain thread sleeping to absolute CLOCK_MONOTONIC deadlines
// t0 + k * period until its log is full. Owned by the measuring code; joins its thread on destruction.
class BaselineTicker {
public:
    BaselineTicker(std::int64_t t0Ns, std::int64_t periodNs, TickLog& log);

private:
    void run(std::stop_token stop);

    std::int64_t FT0Ns;
    std::int64_t FPeriodNs;
    TickLog& FLog;
    std::jthread FThread; // last: starts after the fields it reads
};

} // namespace bench

#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <sched.h>
#include <span>
#include <vector>

namespace bench {

// CLOCK_MONOTONIC in nanoseconds: the clock the timer loops sleep on, and
// shared by all processes, so a child's timestamps compare with ours.
inline std::int64_t monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Wake times of one periodic source. Exactly one tick thread records; other threads read the count at any
// time and the times once the source has stopped. Owned by the measuring code.
class TickLog {
public:
    // `onFull` runs on the recording thread right after the last wake is stored.
    TickLog(std::size_t capacity, std::function<void()> onFull) : FWakes(capacity), FOnFull(std::move(onFull)) {}

    // Stores the time of a wake; false once full, so the caller stops its work.
    bool record(std::int64_t wakeNs)
    {
        const std::size_t n = FCount.load(std::memory_order_relaxed);
        if (n == FWakes.size())
            return false;
        if (n == 0) {
            const int policy = sched_getscheduler(0);
            FRealTime.store(policy == SCHED_FIFO || policy == SCHED_RR, std::memory_order_relaxed);
        }
        FWakes[n] = wakeNs;
        FCount.store(n + 1, std::memory_order_release);
        if (n + 1 == FWakes.size() && FOnFull)
            FOnFull();
        return true;
    }

    std::size_t size() const { return FCount.load(std::memory_order_acquire); }
    std::span<const std::int64_t> wakes() const { return {FWakes.data(), size()}; }
    // Whether the recording thread ran at a real-time priority when it stored its first wake.
    bool realTime() const { return size() > 0 && FRealTime.load(std::memory_order_relaxed); }

private:
    std::vector<std::int64_t> FWakes;
    std::function<void()> FOnFull;
    std::atomic<bool> FRealTime{false}; // published by FCount's first release
    std::atomic<std::size_t> FCount{0};
};

} // namespace bench

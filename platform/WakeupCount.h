#pragma once
// How often a timer event's thread woke from a sleep (its voluntary context switches) between its first
// tick and its latest: the measure of a thread that should sleep to each deadline in one wait. For the
// tests and the benchmarks; the event's thread calls Tick(), any thread reads.

#include <sys/resource.h>

#include <atomic>

class TWakeupCount {
public:
    void Tick()
    {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        if (FTicks.load(std::memory_order_relaxed) == 0)
            FAtFirst.store(usage.ru_nvcsw, std::memory_order_relaxed);
        FAtLatest.store(usage.ru_nvcsw, std::memory_order_relaxed);
        FTicks.fetch_add(1, std::memory_order_release);
    }

    int Ticks() const { return FTicks.load(std::memory_order_acquire); }
    // Read after Ticks() has shown the ticks waited for.
    long Wakeups() const
    {
        return FAtLatest.load(std::memory_order_relaxed) - FAtFirst.load(std::memory_order_relaxed);
    }

private:
    std::atomic<long> FAtFirst{0};
    std::atomic<long> FAtLatest{0};
    std::atomic<int> FTicks{0};
};

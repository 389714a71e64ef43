#pragma once

// The handlers of running precision timers, by the key each event passes the service as its user value,
// so that a tick never reaches a timer itself: one that arrives after its timer stopped, or that runs
// while it stops, finds or keeps only the registry's copy. Any thread may call it; one process-wide.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class TickRegistry {
public:
    static TickRegistry& Instance();

    // Returns the handler's key, never 0 and never given before.
    std::uintptr_t Add(std::function<void()> handler);
    // Runs the handler under `key`, if it is still there. Ticks of one key come one at a time.
    void Run(std::uintptr_t key);
    // No run of the handler starts after this, and one in flight on another thread has returned; one on
    // this thread (the handler removing itself) goes on undisturbed, its handler kept until it returns.
    void Remove(std::uintptr_t key);

private:
    struct Slot {
        std::function<void()> handler;
        std::thread::id runner;  // the thread running the handler, if any
    };

    TickRegistry() = default;

    std::mutex FMutex;
    std::condition_variable FRunEnded;
    std::map<std::uintptr_t, std::shared_ptr<Slot>> FSlots;
    std::uintptr_t FLastKey = 0;
};

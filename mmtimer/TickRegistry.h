#pragma once

// The handlers of running precision timers, by the key each event passes the service as its user value,
// so that a tick never reaches a timer itself: one that arrives after its timer stopped finds nothing.
// Handlers run one at a time, as the system's service runs every callback on one thread, so two that
// remove each other never wait for each other. Any thread may call it; one process-wide.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

class TickRegistry {
public:
    static TickRegistry& Instance();

    // Returns the handler's key, never 0 and never given before.
    std::uintptr_t Add(std::function<void()> handler);
    // Runs the handler under `key`, if it is still there, once no other handler runs; a removal meanwhile
    // ends the wait with nothing run.
    void Run(std::uintptr_t key);
    // No run of the handler starts after this, and one in flight on another thread has returned; the handler
    // is destroyed on this thread before this returns. One on this thread (the handler removing itself) goes
    // on undisturbed, and its handler is destroyed once it returns.
    void Remove(std::uintptr_t key);

private:
    using Slots = std::map<std::uintptr_t, std::function<void()>>;

    TickRegistry() = default;

    std::mutex FMutex;
    // A run ended or a key went.
    std::condition_variable FChanged;
    Slots FSlots;
    std::uintptr_t FLastKey = 0;
    // The key whose handler runs, 0 while none does, and the thread running it.
    std::uintptr_t FRunning = 0;
    std::thread::id FRunner;
    // The running handler, once it has removed itself.
    Slots::node_type FRetired;
};

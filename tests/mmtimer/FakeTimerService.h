#pragma once

// Stands in for the timer service at link time: records each call in order and
// fails the functions a test names. Its kill never waits for a tick. Tests and
// TMMTimer use it on one thread, but for a tick a test delivers from a thread of
// its own, as a service would whose kill returns while the tick runs.

#include "TimerService.h"

#include <set>
#include <string>
#include <vector>

struct FakeTimerService {
    std::vector<std::string> calls;
    std::set<std::string> failing;
    TimerCaps caps{1, 1'000'000};
    TimerEventId nextId = 41;
    TimerCallback callback = nullptr;
    std::uintptr_t user = 0;

    // Delivers one tick of the last event created, as the service's thread would.
    void Tick() const { callback(nextId, 0, user, 0, 0); }
};

FakeTimerService& Fake();

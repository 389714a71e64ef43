#pragma once

// Periodic tick source over the timer service, shaped like the toolkit's timer.
// Its owner constructs, configures, starts, stops and destroys it on one thread;
// the handler runs on the service's thread, which the owner must make safe. A stop
// or the destruction returns only once no tick runs the handler any more, except
// when the handler itself stops or destroys its timer: it then finishes undisturbed.
// The handlers of all timers run one at a time, so one may stop or destroy another.

#include "SystemServices.h"

#include <cstdint>
#include <functional>

class TMMTimer {
public:
    TMMTimer();
    ~TMMTimer();
    TMMTimer(const TMMTimer&) = delete;
    TMMTimer& operator=(const TMMTimer&) = delete;

    bool Enabled() const;
    void SetEnabled(bool value);
    // A new interval applies from the next start.
    unsigned Interval() const;
    void SetInterval(unsigned value);
    unsigned Resolution() const;
    void SetResolution(unsigned value);
    // A new handler applies from the next start.
    void SetOnTimer(std::function<void()> handler);

private:
    static void CALLBACK TimerProc(TimerEventId timerId, std::uint32_t message, std::uintptr_t user,
                                   std::uintptr_t reserved1, std::uintptr_t reserved2);

    std::uint32_t FTimerID = 0;
    bool FEnabled = false;
    std::uint32_t FInterval = 1000;
    std::uint32_t FResolution = 5;
    TimerCaps FTimeCaps{};
    std::function<void()> FOnTimer;
    // The running event's key in the registry of handlers, its user value; 0 while stopped.
    std::uintptr_t FTickKey = 0;
};

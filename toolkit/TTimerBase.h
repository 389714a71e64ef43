#pragma once

#include "Classes.h"

// What the window thread's timer is on every backend: OnTimer is called, with the timer as Sender, every
// Interval ms while Enabled. The backend's TTimer derives from it and starts or stops the system's timer
// in Restart, which every change of the two calls.
class TTimerBase {
public:
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);

    TNotifyEvent OnTimer;

protected:
    TTimerBase() = default;
    ~TTimerBase() = default;
    TTimerBase(const TTimerBase&) = delete;
    TTimerBase& operator=(const TTimerBase&) = delete;

    // Whether the system's timer runs: an interval of 0 would spin the window's thread, and one beyond an
    // int would wrap to a short or negative period, so neither ticks. The largest that does is 24.8 days.
    bool Ticks() const;
    virtual void Restart() = 0;

private:
    unsigned FInterval = 1000;
    bool FEnabled = true;
};

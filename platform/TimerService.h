#pragma once

// Periodic timer service: events that tick on threads of their own, plus the
// period requests callers keep with it. Any thread may call these functions;
// callbacks run on the event's own thread. Callers include SystemServices.h,
// which stands the system's own service in its place on Windows.

#include <chrono>
#include <cstdint>
#include <thread>

using TimerResult = std::uint32_t;
using TimerEventId = std::uint32_t;
// The system's calling convention for callbacks; here there is only one.
#define CALLBACK

using TimerCallback = void(CALLBACK*)(TimerEventId id, std::uint32_t message, std::uintptr_t user,
                                      std::uintptr_t reserved1, std::uintptr_t reserved2);

struct TimerCaps {
    std::uint32_t wPeriodMin;
    std::uint32_t wPeriodMax;
};

inline constexpr TimerResult TIMERR_NOERROR = 0;
inline constexpr TimerResult TIMERR_FAILED = 1;
inline constexpr std::uint32_t TIME_PERIODIC = 1;
inline constexpr std::uint32_t TIME_CALLBACK_FUNCTION = 0;
// Every kill here waits for a callback in flight; the system's service does so only when asked with this.
inline constexpr std::uint32_t TIME_KILL_SYNCHRONOUS = 0x100;

TimerResult timeGetDevCaps(TimerCaps* caps, std::uint32_t size);
TimerResult timeBeginPeriod(std::uint32_t period);
TimerResult timeEndPeriod(std::uint32_t period);
// Periodic events only, with a function callback, TIME_KILL_SYNCHRONOUS or not. Returns the new event's
// id, or 0 when nothing was created.
TimerEventId timeSetEvent(std::uint32_t delay, std::uint32_t resolution, TimerCallback callback,
                          std::uintptr_t user, std::uint32_t flags);
// On success no callback of the event runs any more: a callback still running on
// another thread is waited for, so it must never wait for the killing thread; one
// that kills its own event finishes undisturbed.
TimerResult timeKillEvent(TimerEventId id);

// Outstanding begin requests for this period, and events not yet killed.
int timePeriodRequests(std::uint32_t period);
int timeLiveEvents();
// When the schedule of the latest event began, on CLOCK_MONOTONIC: its ticks are due one period after it,
// two, ... What a tick's lateness is measured against; the caller's own work before the call is not.
std::chrono::nanoseconds timeLatestEventStart();

// Deadline that follows `previous` on a grid of `period`, times on CLOCK_MONOTONIC.
// A thread less than 10 ms (or one period, if longer) behind fires the ticks it owes
// at once; one further behind resumes with the first future deadline rather than
// firing a burst of ticks.
std::chrono::nanoseconds NextDeadline(std::chrono::nanoseconds previous,
                                      std::chrono::nanoseconds period,
                                      std::chrono::nanoseconds now);

// Puts `thread` into a low real-time priority where the system allows it. Its creator calls this as soon as
// it is made: a new thread raising itself would first wait its turn among ordinary ones, milliseconds on a
// busy machine, and its first ticks with it.
bool RaiseTimerThreadPriority(std::thread::native_handle_type thread);

#include "TimerService.h"

#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

namespace {

constexpr TimerCaps kCaps{1, 1'000'000};

// How far behind an event may fall and still fire the ticks it owes, back to back.
constexpr nanoseconds kCatchUp = milliseconds(10);

bool InRange(std::uint32_t ms)
{
    return ms >= kCaps.wPeriodMin && ms <= kCaps.wPeriodMax;
}

// The steady clock is CLOCK_MONOTONIC here, the clock the event threads sleep on.
nanoseconds MonotonicNow()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

// One periodic event, shared by the registry and its own thread. Only `stopping`
// changes once the thread runs: a killer sets it and wakes the thread.
struct Event {
    TimerEventId id = 0;
    TimerCallback callback = nullptr;
    std::uintptr_t user = 0;
    nanoseconds period{};
    std::atomic<std::uint32_t> stopping{0};  // also the word the thread sleeps on
    std::thread thread;
};

// Sleeps in one wait until `deadline` or a kill, whichever comes first; true on a kill.
// A futex on the stop flag rather than a condition variable: its mutex, taken back after
// every wait, costs each tick a second system call before the callback.
// A signal or a spurious wake-up before the deadline resumes the wait.
bool SleepUntilKilled(Event& event, nanoseconds deadline)
{
    const timespec until{static_cast<time_t>(deadline.count() / 1'000'000'000),
                         static_cast<long>(deadline.count() % 1'000'000'000)};
    // The kernel sleeps only while the flag still reads 0, so a kill just before the wait is not missed.
    while (event.stopping.load(std::memory_order_acquire) == 0) {
        // An absolute deadline on CLOCK_MONOTONIC, the bitset form's clock.
        if (syscall(SYS_futex, &event.stopping, FUTEX_WAIT_BITSET_PRIVATE, 0, &until, nullptr,
                    FUTEX_BITSET_MATCH_ANY) != 0 && errno == ETIMEDOUT)
            return false;
    }
    return true;
}

// Body of an event's thread. It shares ownership of the event, so a self-killed
// event detached from its killer still has its state until this returns.
void RunEvent(std::shared_ptr<Event> event, nanoseconds firstDeadline)
{
    nanoseconds deadline = firstDeadline;
    while (!SleepUntilKilled(*event, deadline)) {
        event->callback(event->id, 0, event->user, 0, 0);
        deadline = NextDeadline(deadline, event->period, MonotonicNow());
    }
}

// Ends an extracted event: waits for its thread, unless the caller is that thread
// (a callback killing its own event), which then ends as soon as the callback returns.
void Stop(Event& event)
{
    event.stopping.store(1, std::memory_order_release);
    syscall(SYS_futex, &event.stopping, FUTEX_WAKE_PRIVATE, 1);
    if (event.thread.get_id() == std::this_thread::get_id())
        event.thread.detach();
    else
        event.thread.join();
}

// Live events and outstanding period requests, for callers on any thread.
struct Service {
    std::mutex mutex;
    std::map<TimerEventId, std::shared_ptr<Event>> events;
    std::map<std::uint32_t, int> periodRequests;
    TimerEventId lastId = 0;
    nanoseconds latestStart{};

    // Events still alive at exit must not outlive the code their callbacks run.
    ~Service()
    {
        decltype(events) remaining;
        {
            std::lock_guard lock(mutex);
            remaining.swap(events);
        }
        for (auto& entry : remaining)
            Stop(*entry.second);
    }

    // Ids only come round again after 2^32 events, and never while still in use.
    TimerEventId NewId()
    {
        do {
            ++lastId;
        } while (lastId == 0 || events.contains(lastId));
        return lastId;
    }
};

Service& TheService()
{
    static Service service;
    return service;
}

}  // namespace

TimerResult timeGetDevCaps(TimerCaps* caps, std::uint32_t size)
{
    if (caps == nullptr || size != sizeof(TimerCaps))
        return TIMERR_FAILED;
    *caps = kCaps;
    return TIMERR_NOERROR;
}

// Linux timers are high-resolution already: a period request is bookkeeping only,
// kept so that callers which do not balance their requests are told so.
TimerResult timeBeginPeriod(std::uint32_t period)
{
    if (!InRange(period))
        return TIMERR_FAILED;
    Service& service = TheService();
    std::lock_guard lock(service.mutex);
    ++service.periodRequests[period];
    return TIMERR_NOERROR;
}

TimerResult timeEndPeriod(std::uint32_t period)
{
    Service& service = TheService();
    std::lock_guard lock(service.mutex);
    const auto request = service.periodRequests.find(period);
    if (request == service.periodRequests.end())
        return TIMERR_FAILED;
    if (--request->second == 0)
        service.periodRequests.erase(request);
    return TIMERR_NOERROR;
}

TimerEventId timeSetEvent(std::uint32_t delay, std::uint32_t resolution, TimerCallback callback,
                          std::uintptr_t user, std::uint32_t flags)
{
    if (!InRange(delay) || !InRange(resolution) || callback == nullptr ||
        (flags & ~TIME_KILL_SYNCHRONOUS) != (TIME_PERIODIC | TIME_CALLBACK_FUNCTION))
        return 0;
    // The schedule starts at the call, not after the event's own making.
    const nanoseconds start = MonotonicNow();
    auto event = std::make_shared<Event>();
    event->callback = callback;
    event->user = user;
    event->period = milliseconds(delay);

    Service& service = TheService();
    // Held while the thread starts, so a kill from its first callback sees `thread` set.
    std::lock_guard lock(service.mutex);
    event->id = service.NewId();
    try {
        event->thread = std::thread(RunEvent, event, start + event->period);
    } catch (const std::system_error&) {
        return 0;
    }
    static_cast<void>(RaiseTimerThreadPriority(event->thread.native_handle()));  // where refused, ordinary serves
    service.events.emplace(event->id, event);
    service.latestStart = start;
    return event->id;
}

TimerResult timeKillEvent(TimerEventId id)
{
    std::shared_ptr<Event> event;
    {
        Service& service = TheService();
        std::lock_guard lock(service.mutex);
        auto node = service.events.extract(id);
        if (node.empty())
            return TIMERR_FAILED;
        event = std::move(node.mapped());
    }
    Stop(*event);
    return TIMERR_NOERROR;
}

int timePeriodRequests(std::uint32_t period)
{
    Service& service = TheService();
    std::lock_guard lock(service.mutex);
    const auto request = service.periodRequests.find(period);
    return request == service.periodRequests.end() ? 0 : request->second;
}

int timeLiveEvents()
{
    Service& service = TheService();
    std::lock_guard lock(service.mutex);
    return static_cast<int>(service.events.size());
}

nanoseconds timeLatestEventStart()
{
    Service& service = TheService();
    std::lock_guard lock(service.mutex);
    return service.latestStart;
}

nanoseconds NextDeadline(nanoseconds previous, nanoseconds period, nanoseconds now)
{
    const nanoseconds next = previous + period;
    const nanoseconds behind = now - next;
    // Brief stalls of the machine are paid back, so no tick is lost and the schedule does not drift;
    // only a long one is skipped, rather than paid for with a burst.
    if (behind < std::max(period, kCatchUp))
        return next;
    return next + (behind / period + 1) * period;
}

bool RaiseTimerThreadPriority(std::thread::native_handle_type thread)
{
    // The lowest real-time priority: ahead of ordinary threads, behind the system's own.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    return pthread_setschedparam(thread, SCHED_FIFO, &param) == 0;
}

#include "Eventually.h"
#include "ThreadsLeft.h"
#include "TimerService.h"
#include "WakeupCount.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

// The threads listed before a test starts its own. A sanitizer runtime adds a helper thread of its own
// at the first thread start, so one is started first.
std::set<std::string> ThreadsBefore()
{
    std::thread([] {}).join();
    return ListedThreads();
}

struct Ticks {
    std::atomic<int> count{0};
    std::atomic<std::int64_t> firstNs{0};
    std::atomic<TimerEventId> seenId{0};
    std::atomic<int> oddArguments{0};
    TWakeupCount wakeups;
};

void CountTick(TimerEventId id, std::uint32_t message, std::uintptr_t user, std::uintptr_t reserved1,
               std::uintptr_t reserved2)
{
    auto* ticks = reinterpret_cast<Ticks*>(user);
    ticks->seenId.store(id);
    if (message != 0 || reserved1 != 0 || reserved2 != 0)
        ++ticks->oddArguments;
    ticks->wakeups.Tick();
    if (ticks->count == 0)
        ticks->firstNs = std::chrono::steady_clock::now().time_since_epoch().count();
    ++ticks->count;
}

TEST(TimerEvents, PeriodicTicksKeepToTheScheduleWakingOncePerTick)
{
    struct Row {
        std::string name;
        std::uint32_t period;
        int target;
    };
    const Row rows[] = {{"1 ms", 1, 300}, {"10 ms", 10, 60}, {"150 ms", 150, 5}};
    for (const Row& row : rows) {
        Ticks ticks;
        const auto start = std::chrono::steady_clock::now();
        const TimerEventId id = timeSetEvent(row.period, 1, CountTick, reinterpret_cast<std::uintptr_t>(&ticks),
                                             TIME_PERIODIC);
        const auto made = std::chrono::steady_clock::now();
        ASSERT_NE(0u, id) << row.name;
        // The schedule that lateness is measured against starts within the call, and no tick comes before it.
        const std::chrono::nanoseconds scheduled = timeLatestEventStart();
        EXPECT_LE(start.time_since_epoch(), scheduled) << row.name;
        EXPECT_GE(made.time_since_epoch(), scheduled) << row.name;
        const bool reached = Eventually([&] { return ticks.count >= row.target; });
        EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(id)) << row.name;
        const auto elapsed = std::chrono::steady_clock::now() - start;

        EXPECT_TRUE(reached) << row.name << ": only " << ticks.count << " ticks";
        // Deadlines lie on a grid from the start, and a late thread never catches up in a burst.
        const auto deadlinesPassed = elapsed / std::chrono::milliseconds(row.period);
        EXPECT_LE(ticks.count, deadlinesPassed) << row.name << " after " << elapsed / 1us << " us";
        EXPECT_GE(ticks.firstNs, (scheduled + std::chrono::milliseconds(row.period)).count()) << row.name;
        EXPECT_EQ(id, ticks.seenId) << row.name;
        EXPECT_EQ(0, ticks.oddArguments) << row.name;
        // Pins the fault of a thread that woke every few milliseconds to look for a kill.
        const int intervals = ticks.count - 1;
        EXPECT_LE(ticks.wakeups.Wakeups(), intervals + intervals / 10 + 2)
            << row.name << " over " << intervals << " intervals";
    }
}

// A kill must not wait for, nor the sleeping thread wake before, a deadline far ahead.
TEST(TimerEvents, KillWakesAThreadAsleepForALongPeriodAtOnce)
{
    struct Row {
        std::string name;
        std::uint32_t period;
    };
    const Row rows[] = {{"a minute", 60'000}, {"the longest period", 1'000'000}};
    for (const Row& row : rows) {
        const std::set<std::string> threadsBefore = ThreadsBefore();
        Ticks ticks;
        const TimerEventId id = timeSetEvent(row.period, 1, CountTick, reinterpret_cast<std::uintptr_t>(&ticks),
                                             TIME_PERIODIC);
        ASSERT_NE(0u, id) << row.name;
        std::string thread;
        ASSERT_TRUE(Eventually([&] {
            const std::vector<std::string> started = ThreadsSince(threadsBefore);
            thread = started.empty() ? std::string() : started.front();
            return !thread.empty() && ThreadStatus(thread, "State").starts_with("S");
        })) << row.name;
        const long waitsAsleep = std::stol(ThreadStatus(thread, "voluntary_ctxt_switches"));
        std::this_thread::sleep_for(200ms);
        const long waitsLater = std::stol(ThreadStatus(thread, "voluntary_ctxt_switches"));
        EXPECT_LE(waitsLater - waitsAsleep, 1) << row.name << ": woke while nothing was due";

        const auto killStart = std::chrono::steady_clock::now();
        EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(id)) << row.name;
        const auto killTook = std::chrono::steady_clock::now() - killStart;
        EXPECT_LT(killTook, 1s) << row.name << ": the kill took " << killTook / 1ms << " ms";
        EXPECT_EQ(0, ticks.count) << row.name;
        EXPECT_TRUE(NoThreadLeftSince(threadsBefore)) << row.name;
    }
}

// The wait is a system call of the service's own: a signal to its thread must neither tick nor end it.
TEST(TimerEvents, SignalsToTheThreadNeitherTickNorStopIt)
{
    struct sigaction handler{};
    handler.sa_handler = [](int) {};  // without SA_RESTART, so every signal interrupts the wait
    struct sigaction previous{};
    ASSERT_EQ(0, sigaction(SIGUSR1, &handler, &previous));
    const std::set<std::string> threadsBefore = ThreadsBefore();
    Ticks ticks;
    const TimerEventId id =
        timeSetEvent(60'000, 1, CountTick, reinterpret_cast<std::uintptr_t>(&ticks), TIME_PERIODIC);
    ASSERT_NE(0u, id);
    std::string thread;
    ASSERT_TRUE(Eventually([&] {
        const std::vector<std::string> started = ThreadsSince(threadsBefore);
        thread = started.empty() ? std::string() : started.front();
        return !thread.empty() && ThreadStatus(thread, "State").starts_with("S");
    }));
    for (int signal = 0; signal < 5; ++signal) {
        EXPECT_EQ(0, syscall(SYS_tgkill, getpid(), std::stoi(thread), SIGUSR1));
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(Eventually([&] { return ThreadStatus(thread, "State").starts_with("S"); }));
    EXPECT_EQ(0, ticks.count);
    EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(id));
    EXPECT_TRUE(NoThreadLeftSince(threadsBefore));
    sigaction(SIGUSR1, &previous, nullptr);
}

// Pins the fault of a thread that raised its own priority once it first ran: on a busy machine it waited
// milliseconds among ordinary threads for that, and its first ticks with it.
TEST(TimerEvents, ThreadHasTheTimerPriorityAsSoonAsTheEventIsMade)
{
    const std::set<std::string> threadsBefore = ThreadsBefore();
    // The creator holds the one core both threads may use, at a priority above the timer's, so the new
    // thread cannot run before the check: whatever priority it has then, its creator gave it.
    const int timerPriority = sched_get_priority_min(SCHED_FIFO);
    const sched_param above{timerPriority + 1};
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &above) != 0)
        GTEST_SKIP() << "real-time priority refused here";
    cpu_set_t cores;
    ASSERT_EQ(0, sched_getaffinity(0, sizeof cores, &cores));
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_setaffinity(0, sizeof one, &one);
    Ticks ticks;
    const TimerEventId id =
        timeSetEvent(60'000, 1, CountTick, reinterpret_cast<std::uintptr_t>(&ticks), TIME_PERIODIC);
    const std::vector<std::string> started = ThreadsSince(threadsBefore);
    sched_param param{};
    const int policy = started.size() == 1 && sched_getparam(std::stoi(started.front()), &param) == 0
                           ? sched_getscheduler(std::stoi(started.front()))
                           : -1;
    const sched_param ordinary{0};
    pthread_setschedparam(pthread_self(), SCHED_OTHER, &ordinary);
    sched_setaffinity(0, sizeof cores, &cores);

    ASSERT_NE(0u, id);
    EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(id));
    EXPECT_EQ(1u, started.size());
    EXPECT_EQ(SCHED_FIFO, policy);
    EXPECT_EQ(timerPriority, param.sched_priority);
}

// A handler's owner frees its state as soon as the kill returns.
TEST(TimerEvents, NoCallbackRunsAfterKillReturns)
{
    struct State {
        std::atomic<bool> inCallback{false};
        std::atomic<int> count{0};
    };
    const auto slowTick = [](TimerEventId, std::uint32_t, std::uintptr_t user, std::uintptr_t, std::uintptr_t) {
        auto* state = reinterpret_cast<State*>(user);
        state->inCallback = true;
        std::this_thread::sleep_for(300us);
        ++state->count;
        state->inCallback = false;
    };
    for (int round = 0; round < 10; ++round) {
        auto state = std::make_unique<State>();
        const TimerEventId id = timeSetEvent(1, 1, slowTick, reinterpret_cast<std::uintptr_t>(state.get()),
                                             TIME_PERIODIC);
        ASSERT_NE(0u, id);
        ASSERT_TRUE(Eventually([&] { return state->inCallback.load(); })) << "round " << round;
        ASSERT_EQ(TIMERR_NOERROR, timeKillEvent(id));
        EXPECT_FALSE(state->inCallback) << "round " << round;
        const int countAtKill = state->count;
        std::this_thread::sleep_for(5ms);
        EXPECT_EQ(countAtKill, state->count) << "round " << round;
    }
}

TEST(TimerEvents, CallbackKillingItsOwnEventReturnsAndItsThreadEnds)
{
    struct State {
        std::atomic<int> count{0};
        std::atomic<TimerResult> killResult{TIMERR_FAILED};
        std::atomic<bool> killReturned{false};
    };
    const auto killOnThird = [](TimerEventId id, std::uint32_t, std::uintptr_t user, std::uintptr_t,
                                std::uintptr_t) {
        auto* state = reinterpret_cast<State*>(user);
        if (++state->count == 3) {
            state->killResult = timeKillEvent(id);
            state->killReturned = true;
        }
    };
    const std::set<std::string> threadsBefore = ThreadsBefore();
    State state;
    const TimerEventId id = timeSetEvent(1, 1, killOnThird, reinterpret_cast<std::uintptr_t>(&state), TIME_PERIODIC);
    ASSERT_NE(0u, id);
    ASSERT_TRUE(Eventually([&] { return state.killReturned.load(); })) << "count " << state.count;

    EXPECT_EQ(TIMERR_NOERROR, state.killResult);
    EXPECT_EQ(0, timeLiveEvents());
    EXPECT_NE(TIMERR_NOERROR, timeKillEvent(id));
    EXPECT_TRUE(NoThreadLeftSince(threadsBefore)) << ThreadsSince(threadsBefore).size() << " threads left";
    EXPECT_EQ(3, state.count);
}

TEST(TimerEvents, ManyEventsTickApartAndLeaveNoThreadBehind)
{
    constexpr int kEvents = 24;
    const std::set<std::string> threadsBefore = ThreadsBefore();
    std::vector<Ticks> ticks(kEvents);
    std::vector<TimerEventId> ids;
    for (int i = 0; i < kEvents; ++i)
        ids.push_back(timeSetEvent(1 + i % 5, 1, CountTick, reinterpret_cast<std::uintptr_t>(&ticks[i]),
                                   TIME_PERIODIC));
    EXPECT_EQ(kEvents, timeLiveEvents());
    EXPECT_EQ(static_cast<std::size_t>(kEvents), std::set<TimerEventId>(ids.begin(), ids.end()).size());
    EXPECT_EQ(0, std::count(ids.begin(), ids.end(), 0u));

    for (int i = 0; i < kEvents; ++i)
        EXPECT_TRUE(Eventually([&] { return ticks[i].count >= 5; })) << "event " << i << ": " << ticks[i].count;
    for (int i = 0; i < kEvents; ++i) {
        EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(ids[i]));
        EXPECT_EQ(ids[i], ticks[i].seenId) << "event " << i;
    }
    EXPECT_EQ(0, timeLiveEvents());
    EXPECT_TRUE(NoThreadLeftSince(threadsBefore)) << ThreadsSince(threadsBefore).size() << " threads left";

    Ticks later;
    const TimerEventId next = timeSetEvent(1, 1, CountTick, reinterpret_cast<std::uintptr_t>(&later), TIME_PERIODIC);
    EXPECT_EQ(0, std::count(ids.begin(), ids.end(), next)) << "id " << next << " came round again";
    EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(next));
}

}  // namespace

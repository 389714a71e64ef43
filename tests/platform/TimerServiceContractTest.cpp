#include "Eventually.h"
#include "SystemServices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// What callers may rely on of the timer service, whichever serves: the stand-in here, the system's own
// when built for Windows. Nothing here reads the stand-in's own bookkeeping.

using namespace std::chrono_literals;

namespace {

static_assert(sizeof(TimerCaps) == 8, "callers pass the record's size, 8");

constexpr std::uint32_t kSynchronous = TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS;
constexpr std::uint32_t kPlain = TIME_PERIODIC | TIME_CALLBACK_FUNCTION;

TimerCaps Caps()
{
    TimerCaps caps{};
    EXPECT_EQ(TIMERR_NOERROR, timeGetDevCaps(&caps, sizeof(caps)));
    return caps;
}

struct Ticks {
    std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> count{0};
    std::atomic<TimerEventId> seenId{0};
    std::atomic<int> onCallersThread{0};
    // For a callback that kills its own event: the tick that does it, and the kill's result.
    int killOn = 0;
    std::atomic<TimerResult> killResult{TIMERR_NOERROR};
    std::atomic<bool> killReturned{false};
};

void CALLBACK Tick(TimerEventId id, std::uint32_t, std::uintptr_t user, std::uintptr_t, std::uintptr_t)
{
    auto* ticks = reinterpret_cast<Ticks*>(user);
    ticks->seenId = id;
    if (std::this_thread::get_id() == ticks->caller)
        ++ticks->onCallersThread;
    if (++ticks->count == ticks->killOn) {
        ticks->killResult = timeKillEvent(id);
        ticks->killReturned = true;
    }
}

TimerEventId Start(std::uint32_t period, std::uint32_t flags, Ticks& ticks)
{
    return timeSetEvent(period, 1, Tick, reinterpret_cast<std::uintptr_t>(&ticks), flags);
}

TEST(TimerServiceContract, CapsRangeFromOneMillisecondPastASecond)
{
    const TimerCaps caps = Caps();
    EXPECT_EQ(1u, caps.wPeriodMin);
    EXPECT_LE(1000u, caps.wPeriodMax);
}

TEST(TimerServiceContract, BalancedPeriodRequestsAllSucceed)
{
    struct Request {
        bool begin;
        std::uint32_t period;
    };
    struct Row {
        std::string name;
        std::vector<Request> requests;
    };
    const TimerCaps caps = Caps();
    const Row rows[] = {
        {"the minimum", {{true, caps.wPeriodMin}, {false, caps.wPeriodMin}}},
        {"the maximum", {{true, caps.wPeriodMax}, {false, caps.wPeriodMax}}},
        {"one value twice, nested", {{true, 5}, {true, 5}, {false, 5}, {false, 5}}},
        {"two values, ended in the order begun", {{true, 1}, {true, 5}, {false, 1}, {false, 5}}},
    };
    for (const Row& row : rows)
        for (const Request& request : row.requests)
            EXPECT_EQ(TIMERR_NOERROR, request.begin ? timeBeginPeriod(request.period) : timeEndPeriod(request.period))
                << row.name << ": " << (request.begin ? "begin " : "end ") << request.period;
}

TEST(TimerServiceContract, RefusedCallsReportFailure)
{
    struct Row {
        std::string name;
        std::function<bool()> succeeds;
    };
    const TimerCaps caps = Caps();
    const std::uint32_t aboveMax = caps.wPeriodMax + 1;
    TimerCaps into{};
    Ticks ticks;
    const auto set = [&](std::uint32_t delay) {
        const TimerEventId id = Start(delay, kSynchronous, ticks);
        if (id != 0)
            timeKillEvent(id);
        return id != 0;
    };
    const Row rows[] = {
        {"caps into a null record", [] { return timeGetDevCaps(nullptr, sizeof(TimerCaps)) == TIMERR_NOERROR; }},
        {"caps into a short record", [&] { return timeGetDevCaps(&into, sizeof(TimerCaps) - 1) == TIMERR_NOERROR; }},
        {"begin of period 0", [] { return timeBeginPeriod(0) == TIMERR_NOERROR; }},
        {"begin above the maximum", [&] { return timeBeginPeriod(aboveMax) == TIMERR_NOERROR; }},
        {"end of period 0", [] { return timeEndPeriod(0) == TIMERR_NOERROR; }},
        {"end above the maximum", [&] { return timeEndPeriod(aboveMax) == TIMERR_NOERROR; }},
        {"event with delay 0", [&] { return set(0); }},
        {"event with delay above the maximum", [&] { return set(aboveMax); }},
    };
    for (const Row& row : rows)
        EXPECT_EQ(false, row.succeeds()) << row.name;
}

TEST(TimerServiceContract, KillOfAnUnknownIdFails)
{
    struct Row {
        std::string name;
        std::function<TimerEventId()> id;
    };
    Ticks ticks;
    const Row rows[] = {
        {"an id never issued", [] { return 123'456u; }},
        {"an id already killed", [&] {
             const TimerEventId id = Start(1, kSynchronous, ticks);
             EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(id));
             return id;
         }},
    };
    for (const Row& row : rows)
        EXPECT_NE(TIMERR_NOERROR, timeKillEvent(row.id())) << row.name;
}

// A synchronous kill returns after the last tick; without that flag one tick in flight may still end.
TEST(TimerServiceContract, PeriodicEventTicksOnAThreadOfTheServiceUntilKilled)
{
    struct Row {
        std::string name;
        std::uint32_t period;
        std::uint32_t flags;
        int target;
    };
    const Row rows[] = {
        {"1 ms, synchronous kill", 1, kSynchronous, 100},
        {"10 ms, synchronous kill", 10, kSynchronous, 10},
        {"1 ms", 1, kPlain, 100},
    };
    for (const Row& row : rows) {
        Ticks ticks;
        const TimerEventId id = Start(row.period, row.flags, ticks);
        ASSERT_NE(0u, id) << row.name;
        EXPECT_TRUE(Eventually([&] { return ticks.count >= row.target; })) << row.name << ": " << ticks.count;
        EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(id)) << row.name;
        const int atKill = ticks.count;
        std::this_thread::sleep_for(std::chrono::milliseconds(5 * row.period + 20));
        EXPECT_LE(ticks.count, atKill + (row.flags == kSynchronous ? 0 : 1)) << row.name;
        EXPECT_EQ(id, ticks.seenId) << row.name;
        EXPECT_EQ(0, ticks.onCallersThread) << row.name;
    }
}

TEST(TimerServiceContract, CallbackMayKillItsOwnEvent)
{
    struct Row {
        std::string name;
        std::uint32_t flags;
    };
    const Row rows[] = {{"synchronous kill", kSynchronous}, {"plain", kPlain}};
    for (const Row& row : rows) {
        Ticks ticks;
        ticks.killOn = 3;
        const TimerEventId id = Start(1, row.flags, ticks);
        ASSERT_NE(0u, id) << row.name;
        ASSERT_TRUE(Eventually([&] { return ticks.killReturned.load(); })) << row.name << ": " << ticks.count;
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(TIMERR_NOERROR, ticks.killResult) << row.name;
        EXPECT_EQ(3, ticks.count) << row.name;
        EXPECT_NE(TIMERR_NOERROR, timeKillEvent(id)) << row.name;
    }
}

}  // namespace

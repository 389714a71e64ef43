#include "Eventually.h"
#include "FakeTimerService.h"
#include "MessageBox.h"
#include "TMMTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

namespace {

using Calls = std::vector<std::string>;
using Box = std::pair<std::string, std::string>;
using Boxes = std::vector<Box>;

constexpr const char* kCaption = "TMMTimer Error";
constexpr const char* kCapsFailed = "fails to return the timer device capabilities";
constexpr const char* kPeriodFailed = "resolution specified in FResolution is out of range";
constexpr const char* kEventFailed = "fails to create timer event";

class TMMTimerTest : public testing::Test {
protected:
    void SetUp() override
    {
        Fake() = {};
        SetMessageBoxHook([this](std::string_view text, std::string_view caption) {
            boxes.emplace_back(text, caption);
        });
    }
    void TearDown() override { SetMessageBoxHook({}); }

    Boxes boxes;
};

TEST_F(TMMTimerTest, FreshInstanceHoldsOneFiveMillisecondRequest)
{
    const TMMTimer timer;
    EXPECT_EQ(false, timer.Enabled());
    EXPECT_EQ(1000u, timer.Interval());
    EXPECT_EQ(5u, timer.Resolution());
    EXPECT_EQ((Calls{"timeGetDevCaps(8)", "timeBeginPeriod(5)"}), Fake().calls);
    EXPECT_EQ(Boxes{}, boxes);
}

TEST_F(TMMTimerTest, SetResolutionClampsAndReplacesTheRequest)
{
    struct Row {
        std::string name;
        TimerCaps caps;
        bool capsFail;
        unsigned value;
        unsigned expected;
    };
    const Row rows[] = {
        {"1 on a 1 ms device", {1, 1'000'000}, false, 1, 1},
        {"0 raised to the minimum", {1, 1'000'000}, false, 0, 1},
        {"above the maximum lowered to it", {1, 1'000'000}, false, 1'000'001, 1'000'000},
        {"largest unsigned lowered to the maximum", {1, 1'000'000}, false, UINT_MAX, 1'000'000},
        {"inside a narrow device", {2, 50}, false, 7, 7},
        {"below a narrow device", {2, 50}, false, 1, 2},
        {"above a narrow device", {2, 50}, false, 51, 50},
        // Regression: without capabilities every value used to collapse to 0.
        {"no capabilities, 0", {2, 50}, true, 0, 1},
        {"no capabilities, 20", {2, 50}, true, 20, 20},
        {"no capabilities, above a million", {2, 50}, true, 2'000'000, 1'000'000},
    };
    for (const Row& row : rows) {
        Fake() = {};
        Fake().caps = row.caps;
        if (row.capsFail)
            Fake().failing = {"timeGetDevCaps"};
        TMMTimer timer;
        Fake().calls.clear();
        timer.SetResolution(row.value);
        timer.SetResolution(row.value);
        EXPECT_EQ(row.expected, timer.Resolution()) << row.name;
        const std::string expected = std::to_string(row.expected);
        EXPECT_EQ((Calls{"timeEndPeriod(5)", "timeBeginPeriod(" + expected + ")", "timeEndPeriod(" + expected + ")",
                         "timeBeginPeriod(" + expected + ")"}),
                  Fake().calls)
            << row.name;
    }
}

// Events are periodic with synchronous kills (flags 257, TIME_PERIODIC | TIME_KILL_SYNCHRONOUS): without the
// latter the system's own service may start a tick after the kill has returned. Each start has a user value
// of its own, so that such a late tick cannot reach the next start's handler.
TEST_F(TMMTimerTest, SecondStartCreatesNothingAndIntervalWaitsForARestart)
{
    TMMTimer timer;
    Fake().calls.clear();
    timer.SetEnabled(true);
    const std::uintptr_t firstUser = Fake().user;
    timer.SetInterval(20);
    timer.SetEnabled(true);
    EXPECT_EQ(true, timer.Enabled());
    EXPECT_EQ((Calls{"timeSetEvent(1000, 5, 257)"}), Fake().calls);

    timer.SetEnabled(false);
    EXPECT_EQ(false, timer.Enabled());
    timer.SetEnabled(true);
    EXPECT_EQ((Calls{"timeSetEvent(1000, 5, 257)", "timeKillEvent(42)", "timeSetEvent(20, 5, 257)"}), Fake().calls);
    EXPECT_NE(firstUser, Fake().user);
}

TEST_F(TMMTimerTest, StopWhenStoppedCallsNothing)
{
    TMMTimer timer;
    Fake().calls.clear();
    timer.SetEnabled(false);
    EXPECT_EQ(Calls{}, Fake().calls);
    EXPECT_EQ(Boxes{}, boxes);
}

TEST_F(TMMTimerTest, DestroyingARunningInstanceKillsThenEndsItsRequest)
{
    {
        TMMTimer timer;
        timer.SetResolution(1);
        timer.SetEnabled(true);
        Fake().calls.clear();
    }
    EXPECT_EQ((Calls{"timeKillEvent(42)", "timeEndPeriod(1)"}), Fake().calls);
}

TEST_F(TMMTimerTest, EachServiceFailureShowsItsBoxOnceAndWorkGoesOn)
{
    struct Row {
        std::string name;
        std::function<void()> run;
        const char* message;
        std::string lastCall;
    };
    const Row rows[] = {
        {"capabilities in the constructor", [] {
             Fake().failing = {"timeGetDevCaps"};
             TMMTimer timer;
         }, kCapsFailed, "timeEndPeriod(5)"},
        {"begin in the constructor", [] {
             Fake().failing = {"timeBeginPeriod"};
             TMMTimer timer;
             Fake().failing.clear();
         }, kPeriodFailed, "timeEndPeriod(5)"},
        {"end in SetResolution", [] {
             TMMTimer timer;
             Fake().failing = {"timeEndPeriod"};
             timer.SetResolution(3);
             Fake().failing.clear();
         }, kPeriodFailed, "timeEndPeriod(3)"},
        {"begin in SetResolution", [] {
             TMMTimer timer;
             Fake().failing = {"timeBeginPeriod"};
             timer.SetResolution(3);
             Fake().failing.clear();
         }, kPeriodFailed, "timeEndPeriod(3)"},
        {"end in the destructor", [] {
             TMMTimer timer;
             Fake().failing = {"timeEndPeriod"};
         }, kPeriodFailed, "timeEndPeriod(5)"},
        {"event creation", [] {
             TMMTimer timer;
             Fake().failing = {"timeSetEvent"};
             timer.SetEnabled(true);
             Fake().failing.clear();
         }, kEventFailed, "timeEndPeriod(5)"},
    };
    for (const Row& row : rows) {
        Fake() = {};
        boxes.clear();
        row.run();
        EXPECT_EQ((Boxes{{row.message, kCaption}}), boxes) << row.name;
        EXPECT_EQ(row.lastCall, Fake().calls.back()) << row.name;
    }
}

// Regression: a failed start used to leave Enabled true, so the next start became a stop.
TEST_F(TMMTimerTest, FailedStartLeavesItStoppedSoTheNextStartTriesAgain)
{
    TMMTimer timer;
    Fake().failing = {"timeSetEvent"};
    timer.SetEnabled(true);
    EXPECT_EQ(false, timer.Enabled());
    timer.SetEnabled(false);

    Fake().failing.clear();
    timer.SetEnabled(true);
    EXPECT_EQ(true, timer.Enabled());
    EXPECT_EQ((Calls{"timeGetDevCaps(8)", "timeBeginPeriod(5)", "timeSetEvent(1000, 5, 257)",
                     "timeSetEvent(1000, 5, 257)"}),
              Fake().calls);
    EXPECT_EQ((Boxes{{kEventFailed, kCaption}}), boxes);
}

TEST_F(TMMTimerTest, TickCallsOnlyTheHandler)
{
    TMMTimer timer;
    timer.SetEnabled(true);
    Fake().calls.clear();
    Fake().Tick();

    int ticks = 0;
    timer.SetEnabled(false);
    timer.SetOnTimer([&] { ++ticks; });
    timer.SetEnabled(true);
    Fake().Tick();
    Fake().Tick();
    EXPECT_EQ(2, ticks);
    EXPECT_EQ((Calls{"timeKillEvent(42)", "timeSetEvent(1000, 5, 257)"}), Fake().calls);
}

// Regression: the handler's state went as soon as the kill returned, which a service whose kill does not wait
// (as this fake's does not) allows while the tick it stopped still runs on the service's thread.
TEST_F(TMMTimerTest, DestructionWaitsForATickTheKillLeftRunning)
{
    std::atomic<bool> inTick{false};
    std::atomic<bool> release{false};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> destroyedDuringTick{false};
    auto timer = std::make_unique<TMMTimer>();
    timer->SetOnTimer([&] {
        inTick = true;
        static_cast<void>(Eventually([&] { return release.load(); }));
        destroyedDuringTick = destroyed.load();
    });
    timer->SetEnabled(true);
    Fake().calls.clear();

    std::thread service([] { Fake().Tick(); });
    EXPECT_TRUE(Eventually([&] { return inTick.load(); }));
    std::thread owner([&] {
        timer.reset();
        destroyed = true;
    });
    // Ample time for a destruction that does not wait to end; one that waits never does.
    static_cast<void>(Eventually([&] { return destroyed.load(); }, 200ms));
    release = true;
    service.join();
    owner.join();
    EXPECT_EQ(false, destroyedDuringTick);
    EXPECT_EQ((Calls{"timeKillEvent(42)", "timeEndPeriod(5)"}), Fake().calls);
}

// A tick that comes after its event was killed, as the system's service may deliver one without a
// synchronous kill, runs no handler: neither the stopped one, nor a later start's, nor a destroyed timer's.
TEST_F(TMMTimerTest, LateTickOfAKilledEventRunsNoHandler)
{
    struct Row {
        std::string name;
        std::function<void(std::unique_ptr<TMMTimer>&)> afterStart;
        int expected;
    };
    const Row rows[] = {
        {"stopped", [](auto& timer) { timer->SetEnabled(false); }, 0},
        {"stopped and started again", [](auto& timer) {
             timer->SetEnabled(false);
             timer->SetEnabled(true);
         }, 0},
        {"destroyed", [](auto& timer) { timer.reset(); }, 0},
        {"still running, for comparison", [](auto&) {}, 1},
    };
    for (const Row& row : rows) {
        int ticks = 0;
        auto timer = std::make_unique<TMMTimer>();
        timer->SetOnTimer([&] { ++ticks; });
        timer->SetEnabled(true);
        const std::uintptr_t user = Fake().user;
        row.afterStart(timer);
        Fake().callback(42, 0, user, 0, 0);
        EXPECT_EQ(row.expected, ticks) << row.name;
    }
}

// A handler that stops or destroys its own timer, on the service's thread, neither waits for itself nor
// loses the state it captured before it returns.
TEST_F(TMMTimerTest, HandlerThatEndsItsOwnTimerFinishesUndisturbed)
{
    struct Row {
        std::string name;
        std::function<void(std::unique_ptr<TMMTimer>&)> end;
    };
    const Row rows[] = {
        {"stops it", [](auto& timer) { timer->SetEnabled(false); }},
        {"destroys it", [](auto& timer) { timer.reset(); }},
    };
    for (const Row& row : rows) {
        Fake() = {};
        std::string seen;
        auto timer = std::make_unique<TMMTimer>();
        timer->SetOnTimer([&, captured = std::string(64, 'x')] {
            row.end(timer);
            seen = captured;
        });
        timer->SetEnabled(true);
        Fake().calls.clear();
        Fake().Tick();
        EXPECT_EQ(std::string(64, 'x'), seen) << row.name;
        EXPECT_EQ("timeKillEvent(42)", Fake().calls.front()) << row.name;
    }
}

}  // namespace

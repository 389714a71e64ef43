#include "Eventually.h"
#include "TMMTimer.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

// Over whichever timer service serves: the stand-in here, the system's own when built for Windows.

using namespace std::chrono_literals;

namespace {

// Regression: destruction must wait for a tick in flight, as the handler's owner
// frees the handler's state right after.
TEST(TMMTimerOnService, DestructionWaitsForTheTickInFlight)
{
    struct State {
        std::atomic<bool> inTick{false};
        std::atomic<int> ticks{0};
    };
    auto state = std::make_unique<State>();
    auto timer = std::make_unique<TMMTimer>();
    timer->SetResolution(1);
    timer->SetInterval(1);
    timer->SetOnTimer([s = state.get()] {
        s->inTick = true;
        std::this_thread::sleep_for(20ms);
        ++s->ticks;
        s->inTick = false;
    });
    timer->SetEnabled(true);
    ASSERT_EQ(true, timer->Enabled());
    ASSERT_TRUE(Eventually([&] { return state->inTick.load(); }));

    timer.reset();
    EXPECT_EQ(false, state->inTick);
    const int ticksAtDestruction = state->ticks;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(ticksAtDestruction, state->ticks);
}

TEST(TMMTimerOnService, TicksWhileEnabledAndNotOnceStoppedAcrossRestarts)
{
    struct Row {
        std::string name;
        unsigned interval;
    };
    const Row rows[] = {{"1 ms", 1}, {"10 ms", 10}};
    for (const Row& row : rows) {
        std::atomic<int> ticks{0};
        TMMTimer timer;
        timer.SetResolution(1);
        timer.SetInterval(row.interval);
        timer.SetOnTimer([&] { ++ticks; });
        for (int start = 1; start <= 2; ++start) {
            const int before = ticks;
            timer.SetEnabled(true);
            EXPECT_EQ(true, timer.Enabled()) << row.name << ", start " << start;
            EXPECT_TRUE(Eventually([&] { return ticks >= before + 5; })) << row.name << ", start " << start;
            timer.SetEnabled(false);
            EXPECT_EQ(false, timer.Enabled()) << row.name << ", start " << start;
            const int atStop = ticks;
            std::this_thread::sleep_for(std::chrono::milliseconds(5 * row.interval + 20));
            EXPECT_EQ(atStop, ticks) << row.name << ", start " << start;
        }
    }
}

// A handler that stops or destroys its own timer on the service's thread must not wait for itself; the
// service's kill from inside its own callback must return too, and no tick follow.
TEST(TMMTimerOnService, HandlerThatEndsItsOwnTimerReturnsAndNoTickFollows)
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
        std::atomic<bool> started{false};
        std::atomic<int> ticks{0};
        std::atomic<bool> ended{false};
        auto timer = std::make_unique<TMMTimer>();
        timer->SetResolution(1);
        timer->SetInterval(1);
        // Touches the timer only once the owner's start has returned, as the owner of such a handler must.
        timer->SetOnTimer([&] {
            if (started && ++ticks == 3) {
                row.end(timer);
                ended = true;
            }
        });
        timer->SetEnabled(true);
        started = true;
        ASSERT_TRUE(Eventually([&] { return ended.load(); })) << row.name << ": " << ticks << " ticks";
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(3, ticks) << row.name;
        if (timer) {
            EXPECT_EQ(false, timer->Enabled()) << row.name;
        }
    }
}

// Regression: two handlers that stopped each other deadlocked, each waiting in its stop for the other's
// tick to return. Now one stops the other, whose tick never runs its handler again, and both stops return.
TEST(TMMTimerOnService, HandlersThatStopEachOtherBothReturnAndNoStoppedTimerTicks)
{
    struct Side {
        std::unique_ptr<TMMTimer> timer;
        std::atomic<bool> entered{false};
        std::atomic<int> ticks{0};
        std::atomic<int> ticksAtStop{-1};
        std::atomic<bool> stoppedTheOther{false};
    };
    std::array<Side, 2> sides;
    std::atomic<bool> started{false};
    for (std::size_t i = 0; i < sides.size(); ++i) {
        Side& self = sides[i];
        Side& other = sides[1 - i];
        self.timer = std::make_unique<TMMTimer>();
        self.timer->SetResolution(1);
        self.timer->SetInterval(1);
        self.timer->SetOnTimer([&] {
            if (!started)
                return;
            ++self.ticks;
            if (self.entered.exchange(true) || other.ticksAtStop != -1)
                return;
            // Long enough for the other's tick to come in too, wherever two handlers may run at once.
            static_cast<void>(Eventually([&] { return other.entered.load(); }, 250ms));
            other.timer->SetEnabled(false);
            other.ticksAtStop = other.ticks.load();
            self.stoppedTheOther = true;
        });
    }
    for (Side& side : sides)
        side.timer->SetEnabled(true);
    started = true;
    if (!Eventually([&] { return sides[0].stoppedTheOther || sides[1].stoppedTheOther; })) {
        // Deadlocked threads can never be joined, and the stand-in joins its events' threads at exit.
        ADD_FAILURE() << "the handlers deadlocked in their stops";
        std::fflush(stdout);
        std::_Exit(1);
    }
    const int winner = sides[0].stoppedTheOther ? 0 : 1;
    Side& stopped = sides[1 - winner];
    EXPECT_TRUE(Eventually([&] { return sides[winner].ticks >= 3; }));
    sides[winner].timer->SetEnabled(false);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(false, stopped.stoppedTheOther);
    EXPECT_EQ(false, stopped.timer->Enabled());
    EXPECT_EQ(stopped.ticksAtStop.load(), stopped.ticks.load());
}

}  // namespace

#include "Eventually.h"
#include "MessageBox.h"
#include "TMMTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Regression: destruction must wait for a tick in flight, as the handler's owner
// frees the handler's state right after.
TEST(TMMTimerOnService, DestructionWaitsForTheTickInFlightAndEndsItsRequest)
{
    std::vector<std::string> boxes;
    SetMessageBoxHook([&](std::string_view text, std::string_view) { boxes.emplace_back(text); });
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
    state.reset();

    EXPECT_EQ(0, timeLiveEvents());
    EXPECT_EQ(0, timePeriodRequests(1));
    EXPECT_EQ(0, timePeriodRequests(5));
    EXPECT_EQ(std::vector<std::string>{}, boxes);
    SetMessageBoxHook({});
}

}  // namespace

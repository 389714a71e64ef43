#include "Eventually.h"
#include "MessageBox.h"
#include "TMMTimer.h"
#include "TimerService.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

// What the stand-in keeps count of: the one period request of a timer's life, its one event while it
// runs, and nothing of either once it is gone; no box on the way.
TEST(TMMTimerOnStandIn, HoldsOneRequestAndOneEventAndLeavesNeitherBehind)
{
    std::vector<std::string> boxes;
    SetMessageBoxHook([&](std::string_view text, std::string_view) { boxes.emplace_back(text); });
    std::atomic<int> ticks{0};
    {
        TMMTimer timer;
        timer.SetResolution(1);
        timer.SetInterval(1);
        timer.SetOnTimer([&] { ++ticks; });
        timer.SetEnabled(true);
        ASSERT_TRUE(Eventually([&] { return ticks > 0; }));
        EXPECT_EQ(1, timePeriodRequests(1));
        EXPECT_EQ(0, timePeriodRequests(5));
        EXPECT_EQ(1, timeLiveEvents());
    }
    EXPECT_EQ(0, timeLiveEvents());
    EXPECT_EQ(0, timePeriodRequests(1));
    EXPECT_EQ(0, timePeriodRequests(5));
    EXPECT_EQ(std::vector<std::string>{}, boxes);
    SetMessageBoxHook({});
}

}  // namespace

#include "BaselineTicker.h"
#include "RoundStarts.h"
#include "TickLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

using bench::TickLog;

TEST(TickLog, KeepsCapacityWakesAndSaysFullOnce)
{
    int fullCalls = 0;
    TickLog log(3, [&fullCalls] { ++fullCalls; });
    EXPECT_EQ(log.record(10), true);
    EXPECT_EQ(log.record(20), true);
    EXPECT_EQ(fullCalls, 0);
    EXPECT_EQ(log.record(30), true);
    EXPECT_EQ(log.record(40), false);
    EXPECT_EQ(fullCalls, 1);
    EXPECT_EQ(std::vector<std::int64_t>(log.wakes().begin(), log.wakes().end()),
              (std::vector<std::int64_t>{10, 20, 30}));
}

TEST(BaselineTicker, FillsItsLogNeverWakingBeforeADeadline)
{
    constexpr std::int64_t period = 1'000'000;
    constexpr std::size_t ticks = 50;
    std::atomic<bool> full{false};
    TickLog log(ticks, [&full] { full = true; });
    const std::int64_t t0 = bench::monotonicNs();
    {
        bench::BaselineTicker ticker(t0, period, log);
        // 50 ms of ticks; a loaded machine gets two hundred times that.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!full && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(log.size(), ticks);
    for (std::size_t k = 0; k < ticks; ++k) {
        const std::int64_t deadline = t0 + std::int64_t(k + 1) * period;
        EXPECT_GE(log.wakes()[k], deadline) << "tick " << k + 1 << " woke " << deadline - log.wakes()[k] << " ns early";
    }
}

// Pins the arrangement that always started the baseline first and the precision timer half a period later,
// which read the precision timer's median at 10 ms up to 1.4 x the baseline's, the other order about 1.1 x.
TEST(RoundStarts, TheTimersTradeTheStartAndTheMiddleOfThePeriodEveryRound)
{
    for (int round = 0; round < 4; ++round) {
        const bench::RoundStarts at = bench::roundStarts(round);
        const bench::RoundStarts next = bench::roundStarts(round + 1);
        EXPECT_EQ(at.baseline, next.precision) << "round " << round;
        EXPECT_EQ(at.precision, next.baseline) << "round " << round;
        EXPECT_EQ(0.5, std::abs(at.baseline - at.precision)) << "round " << round;
        for (const double other : {at.baseline, at.precision}) {
            const double apart = std::abs(at.standard - other);
            EXPECT_EQ(0.25, std::min(apart, 1 - apart)) << "round " << round << ": the standard timer";
        }
    }
}

} // namespace

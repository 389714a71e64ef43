#include "LatencyStats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bench::driftNs;
using bench::everyPeriod;
using bench::Histogram;
using bench::histogram;
using bench::latenessNs;
using bench::logEdges;
using bench::lostTicks;
using bench::PaintedFrame;
using bench::percentile;
using bench::qtDeadline;
using bench::scrollLeftAfter;
using bench::serviceDeadline;
using bench::summarize;

TEST(LatenessNs, MeasuresAgainstTheIdealScheduleSoDriftAccumulates)
{
    // Each wake 1 us later than the last relative to its deadline: a re-aligning
    // measure would report 1 us every time; the ideal schedule shows 1, 2, 3.
    const std::vector<std::int64_t> wakes{1'001'000, 2'002'000, 3'003'000};
    EXPECT_EQ(latenessNs(wakes, wakes, 0, 1'000'000, everyPeriod), (std::vector<std::int64_t>{1'000, 2'000, 3'000}));
}

TEST(LatenessNs, ABurstAfterAStallIsLateUntilCaughtUp)
{
    const std::vector<std::int64_t> wakes{1'000, 3'500, 3'510, 4'000};
    EXPECT_EQ(latenessNs(wakes, wakes, 0, 1'000, everyPeriod), (std::vector<std::int64_t>{0, 1'500, 510, 0}));
}

TEST(LatenessNs, DeadlinesFollowTheSourcesOwnSkipPolicy)
{
    // Skips to the first deadline after the end of a tick that overran a whole period.
    const bench::DeadlinePolicy skip = [](std::int64_t previous, std::int64_t period, std::int64_t end) {
        std::int64_t next = previous + period;
        while (next <= end)
            next += period;
        return next;
    };
    const std::vector<std::int64_t> wakes{1'000, 2'900, 4'000, 5'020};
    const std::vector<std::int64_t> ends{1'010, 3'100, 4'010, 5'030};
    EXPECT_EQ(latenessNs(wakes, ends, 0, 1'000, skip), (std::vector<std::int64_t>{0, 900, 0, 20}));
}

struct PolicyRow {
    std::string name;
    bench::DeadlinePolicy next;
    std::int64_t end;
    std::int64_t expected;
};

class DeadlinePolicyTable : public ::testing::TestWithParam<PolicyRow> {};

TEST_P(DeadlinePolicyTable, NextDeadlineAfterATickDueAt1000)
{
    const auto& row = GetParam();
    EXPECT_EQ(row.next(1'000, 1'000, row.end), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeadlinePolicyTable,
                         ::testing::Values(PolicyRow{"PlainIgnoresLateness", everyPeriod, 5'000, 2'000},
                                           PolicyRow{"ServiceOnTime", serviceDeadline, 1'050, 2'000},
                                           PolicyRow{"ServiceLessThanAPeriodBehind", serviceDeadline, 2'500, 2'000},
                                           PolicyRow{"ServicePaysBackAShortStall", serviceDeadline, 3'500, 2'000},
                                           PolicyRow{"ServiceSkipsALongStall", serviceDeadline, 20'000'500, 20'001'000},
                                           PolicyRow{"QtOnTime", qtDeadline, 1'100, 2'000},
                                           PolicyRow{"QtRestartsFromALateTick", qtDeadline, 2'300, 3'300}),
                         [](const auto& info) { return info.param.name; });

TEST(TickAnalysis, AServiceStallLosesTicksAndDriftsInsteadOfBursting)
{
    // At 10 ms, tick 2 wakes two and a half periods late; the service then resumes at 50 ms, skipping
    // 30 and 40 ms.
    constexpr std::int64_t ms = 1'000'000;
    const std::vector<std::int64_t> wakes{10 * ms, 45 * ms, 50 * ms + 10'000, 60 * ms};
    const auto lateness = latenessNs(wakes, wakes, 0, 10 * ms, serviceDeadline);
    EXPECT_EQ(lateness, (std::vector<std::int64_t>{0, 25 * ms, 10'000, 0}));
    EXPECT_EQ(lostTicks(0, 10 * ms, wakes.back() - lateness.back(), wakes.size()), 2u);
    EXPECT_EQ(driftNs(wakes, 10 * ms, 1), 20 * ms);
}

struct DriftRow {
    std::string name;
    std::vector<std::int64_t> wakes;
    std::size_t window;
    std::int64_t expected;
};

class DriftTable : public ::testing::TestWithParam<DriftRow> {};

TEST_P(DriftTable, EndsAgainstTheIdealSchedule)
{
    const auto& row = GetParam();
    EXPECT_EQ(driftNs(row.wakes, 1'000, row.window), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DriftTable,
    ::testing::Values(DriftRow{"Empty", {}, 2, 0}, DriftRow{"Single", {1'500}, 2, 0},
                      DriftRow{"ConstantLatenessIsNoDrift", {1'050, 2'050, 3'050}, 1, 0},
                      DriftRow{"SlipsAMicrosecondATick", {1'000, 2'001, 3'002, 4'003}, 1, 3},
                      DriftRow{"ASkippedTickIsAPeriod", {1'000, 2'000, 4'000, 5'000}, 2, 1'000},
                      // Pins the fault that read one late first tick as the schedule running ahead.
                      DriftRow{"ALateFirstTickIsNoDrift", {1'400, 2'000, 3'000, 4'000, 5'000, 6'000}, 3, 0},
                      DriftRow{"ALateLastTickIsNoDrift", {1'000, 2'000, 3'000, 4'000, 5'000, 6'900}, 3, 0},
                      DriftRow{"ASlipPastTheFirstWindowCounts", {1'000, 2'000, 3'000, 4'400, 5'400, 6'400}, 3, 400}),
    [](const auto& info) { return info.param.name; });

struct PercentileRow {
    std::string name;
    std::vector<std::int64_t> sorted;
    double q;
    std::int64_t expected;
};

class PercentileTable : public ::testing::TestWithParam<PercentileRow> {};

TEST_P(PercentileTable, NearestRank)
{
    const auto& row = GetParam();
    EXPECT_EQ(percentile(row.sorted, row.q), row.expected);
}

std::vector<std::int64_t> oneToThousand()
{
    std::vector<std::int64_t> v(1000);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<std::int64_t>(i + 1);
    return v;
}

INSTANTIATE_TEST_SUITE_P(Rows, PercentileTable,
                         ::testing::Values(PercentileRow{"Empty", {}, 0.5, 0}, PercentileRow{"Single", {7}, 0.999, 7},
                                           PercentileRow{"MedianOfFourIsSecond", {1, 2, 3, 4}, 0.5, 2},
                                           PercentileRow{"ZeroGivesMinimum", {5, 6, 7}, 0.0, 5},
                                           PercentileRow{"OneGivesMaximum", {5, 6, 7}, 1.0, 7},
                                           PercentileRow{"P99OfThousand", oneToThousand(), 0.99, 990},
                                           PercentileRow{"P999OfThousand", oneToThousand(), 0.999, 999}),
                         [](const auto& info) { return info.param.name; });

TEST(Median, TakesTheLowerMiddleOfAnUnsortedSample)
{
    EXPECT_EQ(bench::median({9, 1, 5}), 5);
    EXPECT_EQ(bench::median({40, 10, 30, 20}), 20);
    EXPECT_EQ(bench::median({}), 0);
}

struct RatioRow {
    std::string name;
    std::vector<std::int64_t> numerators;
    std::vector<std::int64_t> denominators;
    double expected;
};

class MedianRatioTable : public ::testing::TestWithParam<RatioRow> {};

TEST_P(MedianRatioTable, OfPairsMeasuredSideBySide)
{
    const auto& row = GetParam();
    EXPECT_DOUBLE_EQ(bench::medianRatio(row.numerators, row.denominators), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MedianRatioTable,
    ::testing::Values(RatioRow{"Empty", {}, {}, 0},
                      // Each pair ran back to back; the ratio of the medians, 30 / 40, pairs no two runs.
                      RatioRow{"PairsNotMedians", {10, 30, 90}, {5, 40, 60}, 1.5},
                      RatioRow{"LowerMiddleOfAnEvenCount", {10, 20, 30, 40}, {10, 10, 10, 10}, 2},
                      RatioRow{"AFailedRunDropsItsPair", {10, 0, 30}, {10, 10, 0}, 1},
                      RatioRow{"OnlyWhereBothRan", {0, 50}, {20, 0}, 0},
                      RatioRow{"TheShorterDecides", {30, 60, 99}, {10, 20}, 3}),
    [](const auto& info) { return info.param.name; });

TEST(Summarize, ReportsPercentilesAndWorstFromUnsortedInput)
{
    const std::vector<std::int64_t> lateness{40, 10, 30, 20, 90, 25};
    const auto s = summarize(lateness);
    EXPECT_EQ(s.ticks, 6u);
    EXPECT_EQ(s.p50Ns, 25);
    EXPECT_EQ(s.p99Ns, 90);
    EXPECT_EQ(s.maxNs, 90);
}

TEST(Summarize, EmptyInputGivesZeros)
{
    const auto s = summarize({});
    EXPECT_EQ(s.ticks, 0u);
    EXPECT_EQ(s.maxNs, 0);
}

TEST(HistogramBuckets, CountsEdgesOverflowUnderflowAndFirstOutliers)
{
    const std::vector<std::int64_t> lateness{0, 9, 10, 29, 30, -1, 31, 100, 45};
    const Histogram h = histogram(lateness, {0, 10, 20, 30}, 2);
    EXPECT_EQ(h.counts, (std::vector<std::uint64_t>{2, 1, 1}));
    EXPECT_EQ(h.underflow, 1u);
    EXPECT_EQ(h.overflow, 4u);
    EXPECT_EQ(h.outlierTicks, (std::vector<std::size_t>{5, 7}));
}

TEST(HistogramBuckets, LogEdgesSpanDecadesEvenly)
{
    EXPECT_EQ(logEdges(1'000, 2, 2), (std::vector<std::int64_t>{1'000, 3'162, 10'000, 31'623, 100'000}));
    const std::vector<std::int64_t> lateness{999, 1'000, 3'161, 3'162, 99'999, 100'000};
    const Histogram h = histogram(lateness, logEdges(1'000, 2, 2), 5);
    EXPECT_EQ(h.counts, (std::vector<std::uint64_t>{2, 1, 0, 1}));
    EXPECT_EQ(h.underflow, 1u);
    EXPECT_EQ(h.overflow, 1u);
    EXPECT_EQ(h.outlierTicks, (std::vector<std::size_t>{6}));
}

struct LostRow {
    std::string name;
    std::int64_t lastDeadline;
    std::size_t ticks;
    std::size_t expected;
};

class LostTicksTable : public ::testing::TestWithParam<LostRow> {};

TEST_P(LostTicksTable, FromScheduleAndLastDeadline)
{
    const auto& row = GetParam();
    EXPECT_EQ(lostTicks(1'000, 100, row.lastDeadline, row.ticks), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, LostTicksTable,
                         ::testing::Values(LostRow{"EveryDeadlineServed", 1'000 + 500, 5, 0},
                                           LostRow{"TwoSkippedOnTheGrid", 1'000 + 700, 5, 2},
                                           LostRow{"OffTheGridAfterARestart", 1'000 + 750, 5, 2},
                                           LostRow{"NoTickYet", 1'000, 0, 0}),
                         [](const auto& info) { return info.param.name; });

struct ScrollRow {
    std::string name;
    int left;
    int width;
    std::uint64_t steps;
    int expected;
};

class ScrollLeftTable : public ::testing::TestWithParam<ScrollRow> {};

TEST_P(ScrollLeftTable, OnePixelPerStepWrappingAtTheRightEdge)
{
    const auto& row = GetParam();
    EXPECT_EQ(scrollLeftAfter(row.left, row.width, row.steps), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScrollLeftTable,
    ::testing::Values(ScrollRow{"Advances", 0, 1000, 200, 200}, ScrollRow{"WrapsAfterRightmostFrame", 0, 1000, 201, 0},
                      ScrollRow{"ResumesMidway", 150, 1000, 60, 9}, ScrollRow{"ExactlyViewWide", 0, 800, 5, 0},
                      ScrollRow{"Narrower", 0, 300, 5, 0}, ScrollRow{"ManyPasses", 0, 2400, 10'000, 10'000 % 1601}),
    [](const auto& info) { return info.param.name; });

TEST(AdvancePerRefresh, EachRefreshShowsTheLatestFrameAcrossTheWrap)
{
    // Refreshes every 10 ns at 5, 15, ..., 45 on a 10-position scroll: the frame painted at 27 wrapped
    // to 1; no frame comes between 35 and 45, so that refresh repeats.
    const std::vector<PaintedFrame> frames{{0, 0}, {10, 5}, {25, 8}, {27, 1}};
    const auto advances = bench::advancePerRefresh(frames, 5, 45, 10, 10);
    EXPECT_EQ(advances, (std::vector<int>{5, 3, 3, 0}));
    const auto s = bench::summarizeAdvance(advances);
    EXPECT_DOUBLE_EQ(s.meanPx, 2.75);
    EXPECT_NEAR(s.sdPx, 1.7854, 1e-4);
    EXPECT_DOUBLE_EQ(s.repeatShare, 0.25);
    EXPECT_TRUE(bench::advancePerRefresh(frames, -20, -1, 10, 10).empty());
}

} // namespace

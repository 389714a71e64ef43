#include "TimerService.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using std::chrono::milliseconds;

namespace {

void Ignore(TimerEventId, std::uint32_t, std::uintptr_t, std::uintptr_t, std::uintptr_t) {}

// Calls that the system's service, or wine's, may take but the stand-in refuses: it serves what callers
// need of it and nothing it would have to guess at. TimerServiceContractTest has the refusals of both.
TEST(TimerServiceArguments, StandInRefusesWhatItDoesNotServeAndCreatesNothing)
{
    struct Row {
        std::string name;
        std::function<bool()> succeeds;
    };
    TimerCaps caps{};
    const auto set = [](std::uint32_t delay, std::uint32_t resolution, TimerCallback callback, std::uint32_t flags) {
        return timeSetEvent(delay, resolution, callback, 0, flags) != 0;
    };
    const Row rows[] = {
        {"caps into a long record", [&] { return timeGetDevCaps(&caps, sizeof(TimerCaps) + 1) == TIMERR_NOERROR; }},
        {"end of a period never begun", [] { return timeEndPeriod(3) == TIMERR_NOERROR; }},
        {"kill of id 0", [] { return timeKillEvent(0) == TIMERR_NOERROR; }},
        {"event with resolution 0", [&] { return set(10, 0, Ignore, TIME_PERIODIC); }},
        {"event with resolution above the maximum", [&] { return set(10, 1'000'001, Ignore, TIME_PERIODIC); }},
        {"event without callback", [&] { return set(10, 1, nullptr, TIME_PERIODIC); }},
        {"one-shot event", [&] { return set(10, 1, Ignore, 0); }},
        {"one-shot event with synchronous kill", [&] { return set(10, 1, Ignore, TIME_KILL_SYNCHRONOUS); }},
        {"event with an unknown flag", [&] { return set(10, 1, Ignore, TIME_PERIODIC | 2); }},
        {"event with an unknown flag and synchronous kill",
         [&] { return set(10, 1, Ignore, TIME_PERIODIC | TIME_KILL_SYNCHRONOUS | 2); }},
    };
    for (const Row& row : rows)
        EXPECT_EQ(false, row.succeeds()) << row.name;
    EXPECT_EQ(0, timePeriodRequests(3));
    EXPECT_EQ(0, timeLiveEvents());
}

TEST(TimerServiceCaps, ReportsOneMillisecondToOneMillion)
{
    TimerCaps caps{};
    ASSERT_EQ(TIMERR_NOERROR, timeGetDevCaps(&caps, sizeof(caps)));
    EXPECT_EQ(1u, caps.wPeriodMin);
    EXPECT_EQ(1'000'000u, caps.wPeriodMax);
}

TEST(TimerServicePeriods, RequestsAreCountedPerValue)
{
    ASSERT_EQ(TIMERR_NOERROR, timeBeginPeriod(1));
    ASSERT_EQ(TIMERR_NOERROR, timeBeginPeriod(1));
    ASSERT_EQ(TIMERR_NOERROR, timeBeginPeriod(1'000'000));
    EXPECT_EQ(2, timePeriodRequests(1));
    EXPECT_EQ(1, timePeriodRequests(1'000'000));

    EXPECT_EQ(TIMERR_NOERROR, timeEndPeriod(1'000'000));
    EXPECT_NE(TIMERR_NOERROR, timeEndPeriod(1'000'000));
    EXPECT_EQ(TIMERR_NOERROR, timeEndPeriod(1));
    EXPECT_EQ(TIMERR_NOERROR, timeEndPeriod(1));
    EXPECT_NE(TIMERR_NOERROR, timeEndPeriod(1));
    EXPECT_EQ(0, timePeriodRequests(1));
}

TEST(NextDeadline, FollowsTheGridPaysBackShortStallsAndSkipsLongOnes)
{
    struct Row {
        std::string name;
        milliseconds period;
        milliseconds now;
        milliseconds expected;
    };
    // Previous deadline at 1000 ms. At 10 ms a whole period behind skips; at 1 ms a stall of a few
    // milliseconds is paid back tick by tick and only a long one is skipped.
    const Row rows[] = {
        {"woken on time", milliseconds(10), milliseconds(1000), milliseconds(1010)},
        {"next still ahead", milliseconds(10), milliseconds(1009), milliseconds(1010)},
        {"next missed by less than a period fires late", milliseconds(10), milliseconds(1019), milliseconds(1010)},
        {"a whole period behind skips", milliseconds(10), milliseconds(1020), milliseconds(1030)},
        {"far behind resumes at the first future deadline", milliseconds(10), milliseconds(1055), milliseconds(1060)},
        {"far behind on a deadline skips that one too", milliseconds(10), milliseconds(1060), milliseconds(1070)},
        {"1 ms, 5 ms behind catches up", milliseconds(1), milliseconds(1006), milliseconds(1001)},
        {"1 ms, just under 10 ms behind catches up", milliseconds(1), milliseconds(1010), milliseconds(1001)},
        {"1 ms, 10 ms behind skips", milliseconds(1), milliseconds(1011), milliseconds(1012)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected.count() * 1'000'000,
                  NextDeadline(milliseconds(1000), row.period, row.now).count())
            << row.name;
}

}  // namespace

#include "TTimer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <ostream>

#include <functional>

namespace {

// Runs the window thread's events until Done() holds or the time is up; tells whether Done() held.
bool ProcessEventsUntil(const std::function<bool()>& Done, int Milliseconds)
{
    const QDeadlineTimer deadline(Milliseconds);
    while (!Done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return Done();
}

struct CountingTimer {
    TTimer Timer;
    int Ticks = 0;
    TObject* LastSender = nullptr;

    CountingTimer()
    {
        Timer.OnTimer = [this](TObject* Sender) {
            ++Ticks;
            LastSender = Sender;
        };
    }
};

TEST(TTimer, TicksWithItselfAsSenderWhileEnabled)
{
    CountingTimer counting;
    counting.Timer.SetInterval(10);
    counting.Timer.SetEnabled(true);
    EXPECT_TRUE(ProcessEventsUntil([&] { return counting.Ticks >= 3; }, 10000)) << counting.Ticks << " ticks";
    EXPECT_EQ(counting.LastSender, &counting.Timer);

    counting.Timer.SetEnabled(false);
    const int ticks = counting.Ticks;
    ProcessEventsUntil([] { return false; }, 200);
    EXPECT_EQ(counting.Ticks, ticks);
}

struct IntervalRow {
    const char* Name;
    unsigned Interval;
};

void PrintTo(const IntervalRow& row, std::ostream* out)
{
    *out << row.Name;
}

class NoTicksTest : public testing::TestWithParam<IntervalRow> {};

// Pins that 0 does not spin the window thread and that large values never wrap into a short period.
TEST_P(NoTicksTest, NeverTicksYetReadsBackAsSet)
{
    CountingTimer counting;
    counting.Timer.SetInterval(GetParam().Interval);
    counting.Timer.SetEnabled(true);
    ProcessEventsUntil([] { return false; }, 300);
    EXPECT_EQ(counting.Ticks, 0);
    EXPECT_EQ(counting.Timer.Interval(), GetParam().Interval);
    EXPECT_TRUE(counting.Timer.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Intervals, NoTicksTest,
    testing::Values(IntervalRow{"Zero", 0}, IntervalRow{"JustAboveQTimerRange", 2147483648u},
        IntervalRow{"MinusOneTyped", unsigned(-1)}, IntervalRow{"MinusTenTyped", unsigned(-10)}),
    [](const auto& info) { return info.param.Name; });

TEST(TTimer, StartsTickingWhenAnIntervalOfZeroIsReplaced)
{
    CountingTimer counting;
    counting.Timer.SetInterval(0);
    counting.Timer.SetEnabled(true);
    counting.Timer.SetInterval(10);
    EXPECT_TRUE(ProcessEventsUntil([&] { return counting.Ticks >= 1; }, 10000)) << counting.Ticks << " ticks";
}

}  // namespace

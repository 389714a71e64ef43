#include "WindowFixture.h"

#include "TCoalescedUpdate.h"
#include "TimerService.h"

#include <atomic>

namespace {

class ScrollThreadsTest : public WindowFixture {
protected:
    void SetUp() override
    {
        MakeWindow(Picture);
        Form->RadioButton2->setChecked(true);
        Form->Edit1->SetText("1");
        // Counts the ticks delivered on the service thread, then takes the window's own step. The window
        // itself is captured: Form is emptied before the window (and with it the timer) goes away.
        Form->MMTimer->SetOnTimer([this, form = Form.get()] {
            ++Ticks;
            form->ScrollStep();
        });
    }

    const QImage Picture = ColumnPattern(20000, 356);
    std::atomic<int> Ticks{0};
};

// Steps run on the service thread while the window's thread repaints, starts and stops: each tick moves
// the view exactly one pixel, and what is shown after a stop is one whole frame with its own label.
TEST_F(ScrollThreadsTest, PrecisionTicksStepOncePerTickWhileTheWindowRepaints)
{
    int maxQueued = 0;
    for (int run = 0; run < 5; ++run) {
        Click();
        ASSERT_TRUE(Form->MMTimer->Enabled());
        const int target = Ticks + 200;
        ASSERT_TRUE(ProcessUntil([&] {
            maxQueued = std::max(maxQueued, TCoalescedUpdate::Queued());
            Form->Image1->repaint();
            return Ticks >= target;
        })) << "ticks " << Ticks;
        Click();
        ASSERT_FALSE(Form->MMTimer->Enabled());
        EXPECT_EQ(Left(), Ticks.load()) << "run " << run;
        EXPECT_EQ(LabelText(), "SourceRect.Left = " + std::to_string(Ticks.load()));
        EXPECT_EQ(FirstDifference(View(), ExpectedView(Picture, Ticks, Qt::black)), "") << "run " << run;
    }
    EXPECT_LE(maxQueued, 2) << "one queued update per control at most";
    EXPECT_EQ(timeLiveEvents(), 0);
}

// The window goes away while its precision timer ticks: the timer stops and its last tick finishes first.
TEST_F(ScrollThreadsTest, DestroyingTheWindowWhileTicking)
{
    for (int round = 0; round < 20; ++round) {
        if (!Form)
            SetUp();
        Click();
        ASSERT_TRUE(ProcessUntil([&] { return Ticks >= 3; }));
        Form.reset();
        Ticks = 0;
        EXPECT_EQ(timeLiveEvents(), 0);
        EXPECT_EQ(timePeriodRequests(1), 0);
    }
}

}  // namespace

#include "WindowFixture.h"

#include "ThreadsLeft.h"
#include "TimerService.h"

#include <QCoreApplication>

#include <atomic>
#include <fstream>
#include <string>

namespace {

// Sanitizers keep per-thread history and quarantine freed memory, so RSS says nothing under them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kRssMeaningful = false;
#else
constexpr bool kRssMeaningful = true;
#endif

// A field of /proc/self/status, such as "VmRSS" (in KiB).
long ProcStatus(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

class StartStopCyclesTest : public WindowFixture {
protected:
    void SetUp() override
    {
        MakeWindow(ColumnPattern(Width, 356));
        Form->RadioButton2->setChecked(true);
        Form->Edit1->SetText("1");
        Form->MMTimer->SetOnTimer([this, form = Form.get()] {
            ++Ticks;
            form->ScrollStep();
        });
    }

    // Every tenth run waits for a tick, so stops land both between and after ticks.
    void Cycle(int cycle)
    {
        const long before = Ticks;
        Click();
        if (cycle % 10 == 0) {
            ASSERT_TRUE(ProcessUntil([&] { return Ticks > before; }));
        }
        QCoreApplication::processEvents();
        Form->Image1->repaint();
        Click();
    }

    static constexpr int Width = 20000;
    std::atomic<long> Ticks{0};
};

TEST_F(StartStopCyclesTest, TenThousandCyclesLeaveNothingBehind)
{
    for (int cycle = 0; cycle < 200; ++cycle)  // the allocator and Qt settle first
        Cycle(cycle);
    const std::set<std::string> threads = ListedThreads();
    const long rss = ProcStatus("VmRSS");
    for (int cycle = 0; cycle < 10'000; ++cycle)
        Cycle(cycle);

    EXPECT_EQ(timeLiveEvents(), 0);
    EXPECT_EQ(timePeriodRequests(1), 1) << "the window's one request, nothing more";
    EXPECT_TRUE(NoThreadLeftSince(threads)) << ThreadsSince(threads).size() << " threads left";
    if (kRssMeaningful) {
        EXPECT_LT(ProcStatus("VmRSS") - rss, 1024) << "KiB grown over 10,000 cycles";
    }
    EXPECT_GE(Ticks, 1000);
    EXPECT_EQ(Left(), Ticks % (Width - 799)) << Ticks << " ticks delivered";
    EXPECT_EQ(Form->Button1->Caption(), "START");
}

}  // namespace

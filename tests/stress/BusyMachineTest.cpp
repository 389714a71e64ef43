#include "WindowFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Both cores taken by other processes for as long as this lives, or this test process.
class BusyCores {
public:
    BusyCores()
    {
        for (unsigned core = 0; core < std::max(2u, std::thread::hardware_concurrency()); ++core) {
            // Forked rather than started by QProcess, whose vfork-style start runs the child on this process's
            // memory: the race checker then loses this thread's later locking and reports races that are not there.
            const pid_t spinner = fork();
            if (spinner == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test halted by a failure leaves no spinner behind
                execl("/bin/sh", "sh", "-c", "while :; do :; done", nullptr);
                _exit(127);
            }
            if (spinner > 0)
                FSpinners.push_back(spinner);
        }
    }
    ~BusyCores()
    {
        for (const pid_t spinner : FSpinners) {
            kill(spinner, SIGKILL);
            waitpid(spinner, nullptr, 0);
        }
    }

private:
    std::vector<pid_t> FSpinners;
};

using BusyMachineTest = WindowFixture;

TEST_F(BusyMachineTest, EveryTickStillStepsOnceAndStopAnswers)
{
    MakeWindow(ColumnPattern(20000, 356));
    std::atomic<int> ticks{0};
    Form->MMTimer->SetOnTimer([&ticks, form = Form.get()] {
        ++ticks;
        form->ScrollStep();
    });
    Form->RadioButton2->setChecked(true);
    Form->Edit1->SetText("1");

    BusyCores busy;
    Click();
    ASSERT_TRUE(ProcessUntil([&] {
        Form->Image1->repaint();
        return ticks >= 500;
    })) << ticks << " ticks";
    QElapsedTimer stop;
    stop.start();
    Click();
    EXPECT_LT(stop.elapsed(), 10'000) << "ms for STOP to return";  // a hang bound, not a speed check
    EXPECT_FALSE(Form->MMTimer->Enabled());
    EXPECT_EQ(Left(), ticks.load());
    EXPECT_EQ(LabelText(), "SourceRect.Left = " + std::to_string(ticks.load()));
}

}  // namespace

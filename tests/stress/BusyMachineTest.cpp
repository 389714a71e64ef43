#include "WindowFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Both cores taken by other processes for as long as this lives.
class BusyCores {
public:
    BusyCores()
    {
        for (unsigned core = 0; core < std::max(2u, std::thread::hardware_concurrency()); ++core) {
            auto spinner = std::make_unique<QProcess>();
            spinner->start("sh", {"-c", "while :; do :; done"});
            FSpinners.push_back(std::move(spinner));
        }
    }
    ~BusyCores()
    {
        for (auto& spinner : FSpinners) {
            spinner->kill();
            spinner->waitForFinished();
        }
    }

private:
    std::vector<std::unique_ptr<QProcess>> FSpinners;
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

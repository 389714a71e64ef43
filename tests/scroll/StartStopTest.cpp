#include "WindowFixture.h"

#include "PaintCounter.h"
#include "TimerService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScreen>
#include <QThread>

namespace {

// What a click changed, in the order it changed it: the button's caption as each control's enabled state
// flips, and whether the timer was running at that moment.
class ChangeLog : public QObject {
public:
    ChangeLog(TForm1& form, std::function<bool()> running) : FForm(form), FRunning(std::move(running))
    {
        for (QWidget* control : std::initializer_list<QWidget*>{form.RadioButton1, form.RadioButton2, form.Edit1})
            control->installEventFilter(this);
    }
    std::vector<std::string> Entries;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange) {
            auto* control = static_cast<QWidget*>(watched);
            Entries.push_back(control->objectName().toStdString() + (control->isEnabled() ? " on" : " off") +
                              " [" + FForm.Button1->Caption() + (FRunning() ? ", running]" : ", stopped]"));
        }
        return false;
    }

private:
    TForm1& FForm;
    std::function<bool()> FRunning;
};

struct TimerKind {
    const char* name;
    bool precision;
};

class StartStopTest : public WindowFixture, public ::testing::WithParamInterface<TimerKind> {
protected:
    void SetUp() override
    {
        MakeWindow(ColumnPattern(20000, 356));
        if (GetParam().precision)
            Form->RadioButton2->setChecked(true);
    }
    bool Running() const { return GetParam().precision ? Form->MMTimer->Enabled() : Form->Timer1->Enabled(); }
    unsigned Interval() const { return GetParam().precision ? Form->MMTimer->Interval() : Form->Timer1->Interval(); }
    bool ControlsEnabled() const
    {
        return Form->RadioButton1->isEnabled() && Form->RadioButton2->isEnabled() && Form->Edit1->isEnabled();
    }
    bool ControlsDisabled() const
    {
        return !Form->RadioButton1->isEnabled() && !Form->RadioButton2->isEnabled() && !Form->Edit1->isEnabled();
    }
};

TEST_P(StartStopTest, CaptionThenControlsThenTimerInThatOrder)
{
    ChangeLog log(*Form, [this] { return Running(); });
    Form->Edit1->SetText("25");
    Click();
    EXPECT_EQ(Form->Button1->Caption(), "STOP");
    EXPECT_TRUE(Running());
    EXPECT_EQ(Interval(), 25u);
    Click();
    EXPECT_EQ(Form->Button1->Caption(), "START");
    EXPECT_FALSE(Running());
    const std::vector<std::string> expected{
        "RadioButton1 off [STOP, stopped]", "RadioButton2 off [STOP, stopped]", "Edit1 off [STOP, stopped]",
        "RadioButton1 on [START, running]", "RadioButton2 on [START, running]", "Edit1 on [START, running]"};
    EXPECT_EQ(log.Entries, expected);
}

TEST_P(StartStopTest, IntervalComesFromTheFieldOrDefaultsToTen)
{
    const std::pair<const char*, unsigned> cases[] = {{"25", 25}, {"abc", 10}, {"", 10}, {"7", 7}};
    for (const auto& [text, interval] : cases) {
        Form->Edit1->SetText(text);
        Click();
        EXPECT_TRUE(ControlsDisabled()) << "text \"" << text << "\"";
        EXPECT_EQ(Interval(), interval) << "text \"" << text << "\"";
        Click();
        EXPECT_TRUE(ControlsEnabled());
        EXPECT_EQ(Form->Edit1->Text(), text) << "the field keeps what was typed";
    }
}

TEST_P(StartStopTest, ScrollsAndResumesWhereItStopped)
{
    Form->Edit1->SetText("1");
    Click();
    ASSERT_TRUE(ProcessUntil([this] { return ShownLeft() >= 5; })) << "left edge " << ShownLeft();
    Click();
    const int stoppedAt = Left();
    for (int round = 0; round < 20; ++round)
        QCoreApplication::processEvents();
    EXPECT_EQ(Left(), stoppedAt) << "no step after the stop";
    EXPECT_EQ(LabelText(), "SourceRect.Left = " + std::to_string(stoppedAt));
    EXPECT_EQ(FirstDifference(View(), ExpectedView(ColumnPattern(20000, 356), stoppedAt, Qt::black)), "");

    Click();
    ASSERT_TRUE(ProcessUntil([&] { return ShownLeft() >= stoppedAt + 3; })) << "left edge " << ShownLeft();
    Click();
    EXPECT_GT(Left(), stoppedAt);
}

// At 1 ms the window used to be painted once per tick, far more often than the screen can show.
TEST_P(StartStopTest, PaintsAtMostOncePerRefreshAndStopsOnTheLastStep)
{
    Form->show();
    PaintCounter counter(*Form->Image1);
    QElapsedTimer clock;
    clock.start();
    Form->Edit1->SetText("1");
    Click();
    ASSERT_TRUE(ProcessUntil([this] { return ShownLeft() >= 300; })) << "left edge " << ShownLeft();
    Click();
    Settle();
    const double refreshes = double(clock.elapsed()) * Form->screen()->refreshRate() / 1000;
    // Besides one frame per refresh: the window's first exposure, and frames at either end of the run.
    EXPECT_LE(counter.Paints, refreshes + 4);
    EXPECT_GE(counter.Paints, 2);
    EXPECT_EQ(LabelText(), "SourceRect.Left = " + std::to_string(Left()));
    EXPECT_EQ(FirstDifference(ScreenView(), ExpectedView(ColumnPattern(20000, 356), Left(), Qt::black)), "");
}

INSTANTIATE_TEST_SUITE_P(Timers, StartStopTest,
    ::testing::Values(TimerKind{"standard", false}, TimerKind{"precision", true}),
    [](const auto& info) { return std::string(info.param.name); });

using StartStopEdgeTest = WindowFixture;

TEST_F(StartStopEdgeTest, SwitchingTheTimerKindTakesEffectAtTheNextStart)
{
    MakeWindow(ColumnPattern(20000, 356));
    Form->Edit1->SetText("1");
    Click();
    EXPECT_TRUE(Form->Timer1->Enabled());
    EXPECT_FALSE(Form->MMTimer->Enabled());
    Click();
    Form->RadioButton2->setChecked(true);
    EXPECT_FALSE(Form->RadioButton1->isChecked()) << "the radio buttons are one group";
    const int before = Left();
    Click();
    EXPECT_FALSE(Form->Timer1->Enabled());
    EXPECT_TRUE(Form->MMTimer->Enabled());
    ASSERT_TRUE(ProcessUntil([&] { return ShownLeft() > before; }));
    Click();
    EXPECT_FALSE(Form->MMTimer->Enabled());
    EXPECT_EQ(Form->Button1->Caption(), "START");
}

// A refused event used to leave "STOP" showing and the controls locked, with nothing running.
TEST_F(StartStopEdgeTest, RefusedPrecisionStartReturnsToStoppedAfterOneBox)
{
    MakeWindow(ColumnPattern(1000, 356));
    Form->RadioButton2->setChecked(true);
    for (const char* text : {"0", "-5", "1000001"}) {
        Boxes.clear();
        Form->Edit1->SetText(text);
        Click();
        EXPECT_EQ(Boxes, std::vector<std::string>{"TMMTimer Error: fails to create timer event"}) << text;
        EXPECT_EQ(Form->Button1->Caption(), "START") << text;
        EXPECT_FALSE(Form->MMTimer->Enabled()) << text;
        EXPECT_TRUE(Form->RadioButton1->isEnabled() && Form->RadioButton2->isEnabled() && Form->Edit1->isEnabled());
        EXPECT_EQ(timeLiveEvents(), 0) << text;
    }
    Form->Edit1->SetText("5");
    Click();
    EXPECT_TRUE(Form->MMTimer->Enabled()) << "the corrected interval starts";
    Click();
}

// Interval 0 would make a message timer spin the window's thread; a negative one must not wrap short.
TEST_F(StartStopEdgeTest, StandardTimerWithZeroOrNegativeIntervalNeverTicks)
{
    MakeWindow(ColumnPattern(1000, 356));
    for (const char* text : {"0", "-1"}) {
        Form->Edit1->SetText(text);
        Click();
        EXPECT_EQ(Form->Button1->Caption(), "STOP");
        for (int round = 0; round < 50; ++round) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            QThread::msleep(1);
        }
        EXPECT_EQ(Left(), 0) << text;
        Click();
        EXPECT_EQ(Form->Button1->Caption(), "START");
        EXPECT_FALSE(Form->Timer1->Enabled());
    }
}

}  // namespace

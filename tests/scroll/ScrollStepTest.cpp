#include "SmallBitmaps.h"
#include "WindowFixture.h"

namespace {

class ScrollStepTest : public WindowFixture {
protected:
    QColor Outside() const { return Form->Image1->palette().color(QPalette::Button); }
};

TEST_F(ScrollStepTest, FirstFrameShowsTheTopLeftBeforeAnyTimerRuns)
{
    const QImage picture = ColumnPattern(2400, 356);
    MakeWindow(picture);
    EXPECT_EQ(LabelText(), "SourceRect.Left = 0");
    EXPECT_EQ(FirstDifference(View(), ExpectedView(picture, 0, Outside())), "");
    EXPECT_FALSE(Form->Timer1->Enabled());
    EXPECT_FALSE(Form->MMTimer->Enabled());
}

TEST_F(ScrollStepTest, WideBitmapRunsOnePixelPerStepThenWraps)
{
    MakeWindow(ColumnPattern(1000, 356));
    for (int tick = 1; tick <= 200; ++tick) {
        Form->ScrollStep();
        ASSERT_EQ(Left(), tick);
        ASSERT_EQ(Form->SourceRect.Right, tick + 800);
    }
    Form->ScrollStep();
    EXPECT_EQ(Left(), 0);
    EXPECT_EQ(Form->SourceRect.Right, 800);
    EXPECT_EQ(LabelText(), "SourceRect.Left = 0");
}

TEST_F(ScrollStepTest, ViewEqualsTheBitmapColumnsAtEachLeftEdge)
{
    // Shorter than the view too: the rows below show the background on every frame.
    const QImage picture = ColumnPattern(1237, 300);
    MakeWindow(picture);
    int steps = 0;
    for (int left : {1, 2, 137, 436, 437}) {  // 437 = width - 800, the rightmost frame
        while (steps < left) {
            Form->ScrollStep();
            ++steps;
        }
        EXPECT_EQ(FirstDifference(View(), ExpectedView(picture, left, Outside())), "") << "at left edge " << left;
        EXPECT_EQ(LabelText(), "SourceRect.Left = " + std::to_string(left));
    }
}

class SmallBitmapTest : public ScrollStepTest, public ::testing::WithParamInterface<SmallBitmap> {};

TEST_P(SmallBitmapTest, ViewStaysAtZeroAndFillsPastTheEdgesWithTheBackground)
{
    const QImage picture = ColumnPattern(GetParam().width, GetParam().height);
    MakeWindow(picture);
    const QImage first = ExpectedView(picture, 0, Outside());
    EXPECT_EQ(FirstDifference(View(), first), "");
    for (int tick = 0; tick < 5; ++tick) {
        Form->ScrollStep();
        EXPECT_EQ(Left(), 0);
        EXPECT_EQ(FirstDifference(View(), first), "") << "after step " << tick + 1;
    }
    EXPECT_EQ(LabelText(), "SourceRect.Left = 0");
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, SmallBitmapTest,
    ::testing::ValuesIn(SmallBitmaps),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScrollStepTest, WidthIsReadAnewOnEveryStep)
{
    MakeWindow(ColumnPattern(1000, 356));
    for (int tick = 0; tick < 50; ++tick)
        Form->ScrollStep();
    ASSERT_EQ(Left(), 50);
    const QImage narrower = ColumnPattern(820, 356);
    QTemporaryDir folder;
    ASSERT_TRUE(narrower.save(folder.filePath("narrow.bmp"), "BMP"));
    Form->Background->LoadFromFile(folder.filePath("narrow.bmp").toStdString());
    Form->ScrollStep();
    EXPECT_EQ(Left(), 0);
}

}  // namespace

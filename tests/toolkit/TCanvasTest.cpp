#include "CopySequences.h"
#include "Pictures.h"
#include "TBitmap.h"
#include "TImage.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <ostream>
#include <utility>
#include <vector>

#include <climits>
#include <string>

namespace {

constexpr TRect View{0, 0, 800, 356};

// An image control of the view's size with a bitmap loaded from a picture, as the window has them.
class CopyRectTest : public testing::Test {
protected:
    void Load(const QImage& picture)
    {
        Bitmap.LoadFromFile(WriteBmp(Folder, "BG.bmp", picture));
        ASSERT_EQ(Bitmap.Width(), picture.width());
        ASSERT_EQ(Bitmap.Height(), picture.height());
    }

    // What the control shows on screen.
    QImage Shown() { return Image.grab().toImage(); }

    QRgb Background() const { return Image.palette().color(QPalette::Button).rgb(); }

    QTemporaryDir Folder;
    TBitmap Bitmap;
    TImage Image;

    void SetUp() override { Image.resize(800, 356); }
};

TEST_F(CopyRectTest, StartsEmptyInTheBackgroundColour)
{
    const QImage shown = Shown();
    EXPECT_EQ(shown.size(), QSize(800, 356));
    EXPECT_EQ(shown.pixel(0, 0), Background());
    EXPECT_EQ(shown.pixel(799, 355), Background());
}

TEST_F(CopyRectTest, CopiesEqualSizesPixelForPixel)
{
    Load(Pattern(1000, 356));
    Image.Canvas()->CopyRect(View, Bitmap.Canvas(), TRect{137, 0, 937, 356});
    const QImage shown = Shown();
    for (QPoint point : {QPoint(0, 0), QPoint(799, 0), QPoint(0, 355), QPoint(799, 355), QPoint(400, 200)})
        EXPECT_EQ(shown.pixel(point), PatternPixel(point.x() + 137, point.y())) << point.x() << ',' << point.y();
}

struct OutsideRow {
    const char* Name;
    QSize Picture;
    TRect Source;
    QPoint Inside;   // a view pixel with a picture pixel behind it
    QPoint Outside;  // a view pixel past the picture
};

void PrintTo(const OutsideRow& row, std::ostream* out)
{
    *out << row.Name;
}

class OutsideTheBitmapTest : public CopyRectTest, public testing::WithParamInterface<OutsideRow> {};

TEST_P(OutsideTheBitmapTest, ShowsTheBackgroundColourNeverAnEarlierFrame)
{
    const OutsideRow& row = GetParam();
    // A full frame first, so that stale pixels would show.
    Load(Pattern(1000, 356));
    Image.Canvas()->CopyRect(View, Bitmap.Canvas(), View);
    Load(Pattern(row.Picture.width(), row.Picture.height()));
    for (int frame = 0; frame < 2; ++frame) {
        Image.Canvas()->CopyRect(View, Bitmap.Canvas(), row.Source);
        const QImage shown = Shown();
        EXPECT_EQ(shown.pixel(row.Inside), PatternPixel(row.Inside.x() + row.Source.Left, row.Inside.y() + row.Source.Top))
            << "frame " << frame;
        EXPECT_EQ(shown.pixel(row.Outside), Background()) << "frame " << frame;
    }
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, OutsideTheBitmapTest,
    testing::Values(OutsideRow{"Narrow", {300, 356}, View, {299, 100}, {300, 100}},
        OutsideRow{"Short", {1000, 200}, View, {100, 199}, {100, 200}},
        OutsideRow{"SmallerBothWays", {50, 40}, View, {49, 39}, {799, 355}},
        OutsideRow{"SourcePastTheRightEdge", {1000, 356}, {250, 0, 1050, 356}, {749, 0}, {750, 0}},
        OutsideRow{"SourceLeftOfThePicture", {1000, 356}, {-10, 0, 790, 356}, {10, 0}, {9, 0}}),
    [](const auto& info) { return info.param.Name; });

TEST_F(CopyRectTest, ScalesUnequalSizes)
{
    QImage quarters(400, 178, QImage::Format_RGB32);
    quarters.fill(Qt::red);
    quarters.setPixel(0, 0, qRgb(0, 0, 255));
    for (int y = 89; y < 178; ++y)
        for (int x = 200; x < 400; ++x)
            quarters.setPixel(x, y, qRgb(0, 128, 0));
    Load(quarters);
    Image.Canvas()->CopyRect(View, Bitmap.Canvas(), TRect{0, 0, 400, 178});
    const QImage shown = Shown();
    EXPECT_EQ(shown.pixel(100, 100), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(600, 300), qRgb(0, 128, 0));
    EXPECT_EQ(shown.pixel(1, 1), qRgb(0, 0, 255));
}

TEST_F(CopyRectTest, CopiesWithinOneCanvasFromTheUntouchedOriginal)
{
    Load(Pattern(800, 356));
    Image.Canvas()->CopyRect(View, Bitmap.Canvas(), View);
    // Overlapping, source left of destination: a naive forward copy would smear the first columns along.
    Image.Canvas()->CopyRect(TRect{100, 0, 800, 356}, Image.Canvas(), TRect{0, 0, 700, 356});
    const QImage shown = Shown();
    for (int x : {100, 150, 250, 799})
        EXPECT_EQ(shown.pixel(x, 10), PatternPixel(x - 100, 10)) << "column " << x;
    EXPECT_EQ(shown.pixel(99, 10), PatternPixel(99, 10));
}

class CopySequenceTest : public CopyRectTest, public testing::WithParamInterface<SequenceRow> {};

TEST_P(CopySequenceTest, ShowsWhatEagerCopiesWould)
{
    const SequenceRow& row = GetParam();
    const QImage picture = Pattern(1000, 356);
    Load(picture);
    QImage expected(800, 356, QImage::Format_RGB32);
    expected.fill(Background());
    for (const auto& [dest, source] : row.Copies) {
        Image.Canvas()->CopyRect(dest, Bitmap.Canvas(), source);
        QPainter(&expected).drawImage(QRect(dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top),
            picture, QRect(source.Left, source.Top, source.Right - source.Left, source.Bottom - source.Top));
    }
    if (row.ReloadAfter)
        Load(Pattern(1000, 356).mirrored(true, true));
    EXPECT_EQ(Shown().convertToFormat(QImage::Format_RGB32), expected);
    // Read through another canvas as well as on screen.
    TImage other;
    other.resize(800, 356);
    other.Canvas()->CopyRect(View, Image.Canvas(), View);
    EXPECT_EQ(other.grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
}

INSTANTIATE_TEST_SUITE_P(Copies, CopySequenceTest, testing::ValuesIn(CopySequences()),
    [](const auto& info) { return info.param.Name; });

TEST_F(CopyRectTest, KeepsACopyWhenTheControlGrows)
{
    Load(Pattern(1000, 356));
    Image.Canvas()->CopyRect(View, Bitmap.Canvas(), TRect{50, 0, 850, 356});
    Image.resize(900, 400);
    const QImage shown = Shown();
    EXPECT_EQ(shown.pixel(799, 355), PatternPixel(849, 355));
    EXPECT_EQ(shown.pixel(850, 100), Background());
    EXPECT_EQ(shown.pixel(100, 380), Background());
}

struct BadRectRow {
    const char* Name;
    TRect Dest;
    TRect Source;
};

void PrintTo(const BadRectRow& row, std::ostream* out)
{
    *out << row.Name;
}

class BadRectTest : public CopyRectTest, public testing::WithParamInterface<BadRectRow> {};

TEST_P(BadRectTest, ChangesNothing)
{
    Load(Pattern(1000, 356));
    Image.Canvas()->CopyRect(View, Bitmap.Canvas(), View);
    const QImage before = Shown();
    Image.Canvas()->CopyRect(GetParam().Dest, Bitmap.Canvas(), GetParam().Source);
    EXPECT_EQ(Shown(), before);
}

INSTANTIATE_TEST_SUITE_P(Rectangles, BadRectTest,
    testing::Values(BadRectRow{"EmptySource", View, {5, 5, 5, 300}},
        BadRectRow{"InvertedDest", {800, 356, 0, 0}, View},
        BadRectRow{"HugeSource", View, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
        BadRectRow{"HugeDest", {INT_MIN, 0, INT_MAX, 356}, View},
        BadRectRow{"DestFarAway", {INT_MAX - 800, 0, INT_MAX, 356}, View}),
    [](const auto& info) { return info.param.Name; });

}  // namespace

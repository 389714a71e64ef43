#include "CopySequences.h"
#include "Pictures.h"
#include "TBitmap.h"
#include "TImage.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
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

// The first pixel where Shown differs from Expected, or "" where none does; the top byte is no colour.
std::string Difference(const QImage& Shown, const ExpectedPixels& Expected)
{
    if (Shown.size() != QSize(Expected.Width, Expected.Height))
        return "shown " + std::to_string(Shown.width()) + " x " + std::to_string(Shown.height());
    for (int y = 0; y < Expected.Height; ++y)
        for (int x = 0; x < Expected.Width; ++x) {
            const QRgb shown = Shown.pixel(x, y) & 0xFFFFFF;
            const QRgb expected = Expected.Pixels[std::size_t(y) * Expected.Width + x] & 0xFFFFFF;
            if (shown != expected)
                return QStringLiteral("at %1,%2: shown %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(shown, 6, 16, QChar('0'))
                    .arg(expected, 6, 16, QChar('0'))
                    .toStdString();
        }
    return "";
}

class CopySequenceTest : public CopyRectTest, public testing::WithParamInterface<SequenceRow> {};

// The reference is the rule each copy keeps, pixel centres for scaled ones, as the Windows window's contract
// test pins it too; not Qt's own scaling.
TEST_P(CopySequenceTest, ShowsWhatEagerCopiesWould)
{
    const SequenceRow& row = GetParam();
    Load(Pattern(SequencePictureWidth, SequencePictureHeight));
    for (const auto& [dest, source] : row.Copies)
        Image.Canvas()->CopyRect(dest, Bitmap.Canvas(), source);
    switch (row.End) {
    case SequenceEnd::Nothing:
        break;
    case SequenceEnd::SourceReloaded:
        Load(Pattern(SequencePictureWidth, SequencePictureHeight).mirrored(true, true));
        break;
    case SequenceEnd::SourceDrawnOn:
        Bitmap.Canvas()->CopyRect(SourceDrawing.first, Bitmap.Canvas(), SourceDrawing.second);
        break;
    case SequenceEnd::ViewGrown:
        Image.resize(GrownView.Right, GrownView.Bottom);
        break;
    }
    const ExpectedPixels expected = Expected(row, PatternPixel, Background());
    EXPECT_EQ(Difference(Shown(), expected), "");
    // Read through another canvas as well as on screen.
    TImage other;
    other.resize(expected.Width, expected.Height);
    const TRect all{0, 0, expected.Width, expected.Height};
    other.Canvas()->CopyRect(all, Image.Canvas(), all);
    EXPECT_EQ(Difference(other.grab().toImage(), expected), "");
}

INSTANTIATE_TEST_SUITE_P(Copies, CopySequenceTest, testing::ValuesIn(CopySequences()),
    [](const auto& info) { return info.param.Name; });

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

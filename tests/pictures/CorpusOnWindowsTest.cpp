// The BMP corpus put in place as BG.bmp for the window over the system's own reader: each picture shows
// exactly its pixels before and after one scroll step, or is refused with a message naming the file, as
// on Linux, except where the system's reader decides otherwise (WindowsOutcome below says where and why).

#include "BmpCorpus.h"
#include "SysUtils.h"
#include "Unit1.h"
#include "ViewPixels.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace scroll::pictures {

void PrintTo(const PictureCase& picture, std::ostream* out)
{
    *out << picture.Name;
}

namespace {

constexpr int ViewWidth = 800;
constexpr int ViewHeight = 356;

// Where the system's reader and Qt's part ways, and which of the two this program then does. Where the
// corpus leaves the outcome open, either is fine on both and nothing is listed.
const std::map<std::string, Expect>& WindowsOutcome()
{
    static const std::map<std::string, Expect> differs{
        // Wine's decoder shows the absolute runs of a row longer than 255 pixels in the wrong colours: what
        // it shows must at least be the same on every load. The system's own decoder has no such limit.
        {"rle8_row_longer_than_255", Expect::EitherWay},
    };
    return differs;
}

using Frame = ViewPixels;

// What Image1 paints, drawn for us by the control itself.
Frame Shown(const TForm1& window)
{
    return ReadView(window.Image1->Handle(), ViewWidth, ViewHeight, true);
}

struct Attempt {
    std::optional<Frame> First;
    std::optional<Frame> AfterStep;
    int Width = 0;
    int Height = 0;
    std::string Error;
};

Attempt TryLoad()
{
    try {
        TForm1 window(nullptr);
        Attempt attempt{Shown(window), {}, window.Background->Width(), window.Background->Height(), {}};
        window.ScrollStep();
        attempt.AfterStep = Shown(window);
        return attempt;
    } catch (const Exception& error) {
        return {std::nullopt, std::nullopt, 0, 0, error.Message()};
    }
}

Frame Expected(const PictureCase& picture, int left)
{
    Frame frame(std::size_t(ViewWidth) * ViewHeight, ButtonFace());
    for (int y = 0; y < std::min(picture.Height, ViewHeight); ++y)
        for (int x = 0; x < std::min(picture.Width - left, ViewWidth); ++x)
            frame[std::size_t(y) * ViewWidth + x] = picture.Pixels[std::size_t(y) * picture.Width + left + x] & 0xFFFFFF;
    return frame;
}

// "" when every channel is within Tolerance, else where they first differ and how many do.
std::string Difference(const Frame& Shown, const Frame& Wanted, int Tolerance)
{
    int count = 0;
    std::string first;
    for (std::size_t i = 0; i < Wanted.size(); ++i) {
        bool close = true;
        for (int shift : {0, 8, 16})
            close = close && std::abs(int(Shown[i] >> shift & 0xFF) - int(Wanted[i] >> shift & 0xFF)) <= Tolerance;
        if (close)
            continue;
        if (count++ == 0) {
            char text[96];
            std::snprintf(text, sizeof text, "at (%d,%d) shown %06x, expected %06x", int(i % ViewWidth),
                int(i / ViewWidth), unsigned(Shown[i]), unsigned(Wanted[i]));
            first = text;
        }
    }
    return count ? first + " (" + std::to_string(count) + " pixels)" : "";
}

class CorpusOnWindows : public testing::TestWithParam<PictureCase> {
protected:
    void SetUp() override
    {
        Folder = std::filesystem::temp_directory_path() / ("corpus-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(Folder);
        std::filesystem::current_path(Folder);
    }
    void TearDown() override
    {
        std::filesystem::current_path(Folder.parent_path());
        std::filesystem::remove_all(Folder);
    }

    std::filesystem::path Folder;
};

TEST_P(CorpusOnWindows, LoadsAsDescribedOrIsRefused)
{
    const PictureCase& picture = GetParam();
    std::ofstream(Folder / "BG.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(picture.Bytes.data()), std::streamsize(picture.Bytes.size()));
    if (picture.Length)
        std::filesystem::resize_file(Folder / "BG.bmp", picture.Length);
    const Attempt attempt = TryLoad();
    const auto differs = WindowsOutcome().find(picture.Name);
    const Expect outcome = differs == WindowsOutcome().end() ? picture.Outcome : differs->second;
    std::printf("%s: %s\n", picture.Name.c_str(),
        attempt.First ? ("loaded " + std::to_string(attempt.Width) + "x" + std::to_string(attempt.Height)).c_str()
                      : attempt.Error.c_str());

    switch (outcome) {
    case Expect::Loads:
        ASSERT_TRUE(attempt.First) << "refused: " << attempt.Error;
        EXPECT_EQ(attempt.Width, picture.Width);
        EXPECT_EQ(attempt.Height, picture.Height);
        if (picture.Pixels.empty())
            break;
        EXPECT_EQ(Difference(*attempt.First, Expected(picture, 0), picture.Tolerance), "");
        EXPECT_EQ(Difference(*attempt.AfterStep, Expected(picture, picture.Width > ViewWidth ? 1 : 0), picture.Tolerance), "")
            << "after one step";
        break;
    case Expect::Refused:
        EXPECT_FALSE(attempt.First) << "loaded as " << attempt.Width << "x" << attempt.Height;
        EXPECT_NE(attempt.Error.find("BG.bmp"), std::string::npos) << "message: " << attempt.Error;
        EXPECT_NE(attempt.Error.find(picture.Message), std::string::npos)
            << "message: " << attempt.Error << "\nexpected: " << picture.Message;
        break;
    case Expect::EitherWay:
        if (!attempt.First) {
            EXPECT_NE(attempt.Error.find("BG.bmp"), std::string::npos) << "message: " << attempt.Error;
            break;
        }
        // Whatever a damaged picture shows must come from the file: the same on every load.
        const Attempt again = TryLoad();
        ASSERT_TRUE(again.First) << "refused the second time: " << again.Error;
        EXPECT_EQ(Difference(*again.First, *attempt.First, 0), "") << picture.Why;
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusOnWindows, testing::ValuesIn(PictureCorpus()),
    [](const testing::TestParamInfo<PictureCase>& info) { return info.param.Name; });

}  // namespace

}  // namespace scroll::pictures

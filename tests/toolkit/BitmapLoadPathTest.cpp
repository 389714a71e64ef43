// The bitmap's one load path over either backend's decoder: how a refusal names the file, and which load a
// preload serves. Standard C++ only, so that the same tables run on Windows.

#include "BitmapBackend.h"
#include "BmpFile.h"
#include "SysUtils.h"
#include "TBitmap.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& Path)
{
    const std::u8string name = Path.u8string();
    return {name.begin(), name.end()};
}

// A Width x Height BMP file, all black.
void WriteBmp(const fs::path& Path, int Width, int Height)
{
    WriteBmpFile(Path, Width, Height, [](int, int) { return 0u; });
}

// Rewrites Path, in place, as a picture of the same length, and sets its write time back: only what the
// system keeps of its changes can tell the two apart.
void RewriteKeepingLengthAndTime(const fs::path& Path, int Width, int Height)
{
    const fs::file_time_type written = fs::last_write_time(Path);
    // Change times move in the system's clock steps: the rewrite must come at least one step later.
    const fs::path probe = Path.parent_path() / "probe";
    for (int tries = 0; tries < 5000; ++tries) {
        std::ofstream(probe) << tries;
        if (FileChangeTime(probe) != FileChangeTime(Path))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    WriteBmp(Path, Width, Height);
    fs::last_write_time(Path, written);
}

// The message of the Exception that loading FileName raises, or "loaded".
std::string Refusal(const std::string& FileName)
{
    try {
        TBitmap().LoadFromFile(FileName);
    } catch (const Exception& error) {
        return error.Message();
    }
    return "loaded";
}

// Each test in a folder of its own, the current one meanwhile.
class BitmapLoadPath : public testing::Test {
protected:
    void SetUp() override
    {
        Folder = fs::temp_directory_path() / ("bitmap-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "sub");
        Previous = fs::current_path();
        fs::current_path(Folder);
    }
    void TearDown() override
    {
        fs::current_path(Previous);
        fs::remove_all(Folder);
    }

    fs::path Folder;
    fs::path Previous;
};

struct NameRow {
    const char* Name;
    std::string FileName;  // as the program asks for it
    fs::path Named;  // what the message names, from the current folder
};

TEST_F(BitmapLoadPath, ARefusalNamesTheFileAbsoluteAsTheSystemWritesPaths)
{
    const NameRow rows[] = {
        {"plain", "BG.bmp", "BG.bmp"},
        {"in a folder", "sub/BG.bmp", fs::path("sub") / "BG.bmp"},
        {"through . and ..", "./sub/../BG.bmp", "BG.bmp"},
    };
    for (const NameRow& row : rows) {
        const std::string expected = "Cannot load bitmap \"" + Utf8(fs::current_path() / row.Named)
                                   + "\": there is no such file.";
        EXPECT_EQ(Refusal(row.FileName), expected) << row.Name;
        TBitmap::Preload(row.FileName);
        EXPECT_EQ(Refusal(row.FileName), expected) << row.Name << ", preloaded";
    }
}

// Windows names files in UTF-16, to which such a name does not convert: still the toolkit's Exception.
TEST_F(BitmapLoadPath, ANameThatIsNoUtf8IsRefusedWithTheToolkitsException)
{
    const std::string fileName = "\xff\xfe.bmp";
    TBitmap::Preload(fileName);
    const std::string message = Refusal(fileName);
    EXPECT_EQ(message.rfind("Cannot load bitmap \"", 0), 0u) << message;
    EXPECT_NE(message.find(fileName), std::string::npos) << message;
}

struct PreloadRow {
    const char* Name;
    // Changes the folder after the preload of the 10-pixel-wide BG.bmp; gives the file name to load.
    std::function<std::string(const fs::path& Preloaded)> Change;
    int Width;  // of the picture loaded; 0 when the load fails
};

TEST_F(BitmapLoadPath, APreloadIsTakenOnlyByALoadOfTheSameUnchangedFile)
{
    const PreloadRow rows[] = {
        {"same file", [](const fs::path& preloaded) { return Utf8(preloaded); }, 10},
        {"replaced",
            [](const fs::path& preloaded) {
                WriteBmp(preloaded, 12, 4);
                return Utf8(preloaded);
            },
            12},
        {"removed",
            [](const fs::path& preloaded) {
                fs::remove(preloaded);
                return Utf8(preloaded);
            },
            0},
        {"another file",
            [](const fs::path&) {
                WriteBmp("other.bmp", 14, 4);
                return std::string("other.bmp");
            },
            14},
        // 21 pixels of 24 bits make rows of 64 bytes, 10 of 32: two rows take what four did.
        {"rewritten with its length and write time",
            [](const fs::path& preloaded) {
                RewriteKeepingLengthAndTime(preloaded, 21, 2);
                return Utf8(preloaded);
            },
            21},
    };
    for (const PreloadRow& row : rows) {
        const fs::path preloaded = Folder / "BG.bmp";
        WriteBmp(preloaded, 10, 4);
        TBitmap::Preload(Utf8(preloaded));
        const std::string fileName = row.Change(preloaded);
        TBitmap bitmap;
        try {
            bitmap.LoadFromFile(fileName);
        } catch (const Exception& error) {
            EXPECT_EQ(row.Width, 0) << row.Name << ": " << error.Message();
        }
        EXPECT_EQ(bitmap.Width(), row.Width) << row.Name;
    }
}

}  // namespace

#include "Pictures.h"
#include "SysUtils.h"
#include "TBitmap.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct LoadFailureRow {
    const char* Name;
    // Makes the case in the folder and gives the file name to load.
    std::function<std::string(const QTemporaryDir&)> Prepare;
    const char* Reason;
};

void PrintTo(const LoadFailureRow& row, std::ostream* out)
{
    *out << row.Name;
}

std::string WriteFile(const QTemporaryDir& folder, const QString& name, const QByteArray& content)
{
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return file.fileName().toStdString();
}

// A real 4 x 4 BMP file with some of its header's 32-bit fields replaced: {byte offset, value}.
std::string WritePatchedBmp(const QTemporaryDir& folder, std::initializer_list<std::pair<int, quint32>> fields)
{
    const std::string path = WriteBmp(folder, "BG.bmp", Pattern(4, 4));
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadWrite))
        return {};
    QByteArray bytes = file.readAll();
    for (const auto& [offset, value] : fields)
        std::memcpy(bytes.data() + offset, &value, sizeof value);
    file.seek(0);
    file.write(bytes);
    return path;
}

class LoadFailureTest : public testing::TestWithParam<LoadFailureRow> {};

TEST_P(LoadFailureTest, RaisesAnExceptionNamingTheFileAndTheReason)
{
    QTemporaryDir folder;
    const std::string fileName = GetParam().Prepare(folder);
    ASSERT_FALSE(fileName.empty());
    TBitmap bitmap;
    try {
        bitmap.LoadFromFile(fileName);
        FAIL() << "loaded " << fileName;
    } catch (const Exception& error) {
        const QString message = QString::fromStdString(error.Message());
        EXPECT_TRUE(message.contains(QFileInfo(QString::fromStdString(fileName)).absoluteFilePath())) << error.Message();
        EXPECT_TRUE(message.contains(QLatin1String(GetParam().Reason))) << error.Message();
    }
    EXPECT_EQ(bitmap.Width(), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadFailureTest,
    testing::Values(
        LoadFailureRow{"Missing", [](const QTemporaryDir& folder) { return folder.filePath("BG.bmp").toStdString(); },
            "no such file"},
        LoadFailureRow{"Directory", [](const QTemporaryDir& folder) { return folder.path().toStdString(); },
            "is a directory"},
        LoadFailureRow{"Garbage",
            [](const QTemporaryDir& folder) { return WriteFile(folder, "BG.bmp", "this is not a picture"); },
            "not a readable BMP picture"},
        LoadFailureRow{"Empty", [](const QTemporaryDir& folder) { return WriteFile(folder, "BG.bmp", {}); },
            "not a readable BMP picture"},
        LoadFailureRow{"OtherFormat",
            [](const QTemporaryDir& folder) {
                const QString path = folder.filePath("BG.bmp");
                return Pattern(4, 4).save(path, "PNG") ? path.toStdString() : std::string();
            },
            "not a readable BMP picture"},
        // Width and height far above Qt's allocation limit.
        LoadFailureRow{"AboveAllocationLimit",
            [](const QTemporaryDir& folder) { return WritePatchedBmp(folder, {{18, 9000}, {22, 9000}}); },
            "too large"},
        // Opening a FIFO would wait for a writer that never comes.
        LoadFailureRow{"Fifo",
            [](const QTemporaryDir& folder) {
                const QString path = folder.filePath("BG.bmp");
                return mkfifo(QFile::encodeName(path).constData(), 0644) == 0 ? path.toStdString() : std::string();
            },
            "not a regular file"},
        LoadFailureRow{"PixelsPastTheEnd",
            [](const QTemporaryDir& folder) { return WritePatchedBmp(folder, {{10, 0x7FFFFFF0u}}); },
            "no pixel data"}),
    [](const auto& info) { return info.param.Name; });

// Reading the picture at start-up, before the window asks for it, must not change what the user is told.
TEST_P(LoadFailureTest, RaisesTheSameExceptionWhenPreloaded)
{
    QTemporaryDir folder;
    const std::string fileName = GetParam().Prepare(folder);
    ASSERT_FALSE(fileName.empty());
    const auto message = [&fileName](bool preload) {
        if (preload)
            TBitmap::Preload(fileName);
        try {
            TBitmap().LoadFromFile(fileName);
        } catch (const Exception& error) {
            return error.Message();
        }
        return std::string("loaded");
    };
    EXPECT_EQ(message(true), message(false));
}

// Qt's reader keeps a limit of its own, 128 MB by default in some versions: the check's 256 MB must hold.
TEST(LoadFromFile, TakesAPictureOverQtsDefaultLimitWithinTheChecks)
{
    QTemporaryDir folder;
    // 24-bit rows of 5800 pixels, 134.6 MB as 32-bit pixels; a hole in the file, read as zeros, holds them.
    const std::string fileName = WritePatchedBmp(folder, {{18, 5800}, {22, 5800}, {34, 0}});
    ASSERT_TRUE(QFile::resize(QString::fromStdString(fileName), 54 + 5800 * 3 * 5800));
    TBitmap bitmap;
    try {
        bitmap.LoadFromFile(fileName);
    } catch (const Exception& error) {
        FAIL() << error.Message();
    }
    EXPECT_EQ(bitmap.Width(), 5800);
}

TEST(LoadFromFile, RefusesAFileWithoutReadPermission)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    QTemporaryDir folder;
    const std::string fileName = WriteBmp(folder, "BG.bmp", Pattern(4, 4));
    QFile::setPermissions(QString::fromStdString(fileName), QFileDevice::WriteOwner);
    TBitmap bitmap;
    try {
        bitmap.LoadFromFile(fileName);
        FAIL() << "loaded " << fileName;
    } catch (const Exception& error) {
        EXPECT_TRUE(QString::fromStdString(error.Message()).contains("no permission")) << error.Message();
    }
}

}  // namespace

// Every corpus picture, and every kind of thing that is not a picture file, put in place as BG.bmp and
// run through the window's start-up and first scroll step.
#include "BmpCorpus.h"
#include "FirstFrame.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

namespace scroll::pictures {

void PrintTo(const PictureCase& picture, std::ostream* out)
{
    *out << picture.Name;
}

namespace {

constexpr int ViewWidth = 800;
constexpr int ViewHeight = 356;
// Far above what any picture within Qt's allocation limit needs, far below what an absurd header claims.
constexpr long GrowthLimitKb = 512 * 1024;

// A fresh current folder for one test, as the program finds its folder at start.
class ScratchFolder {
public:
    ScratchFolder() : FPrevious(QDir::currentPath())
    {
        EXPECT_TRUE(FFolder.isValid()) << FFolder.errorString().toStdString();
        QDir::setCurrent(FFolder.path());
    }
    ~ScratchFolder() { QDir::setCurrent(FPrevious); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(const char* name) const { return QDir(FFolder.path()).filePath(name).toStdString(); }

private:
    QTemporaryDir FFolder;
    QString FPrevious;
};

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// Peak address space rather than resident memory: an allocation the reader never touches counts too.
long PeakAddressSpaceKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmPeak:", 0) == 0)
            return std::strtol(line.c_str() + 7, nullptr, 10);
    return 0;
}

// Fills every block malloc hands out with a byte of our choice, so pixels a reader leaves unset show
// up as that byte. Small bytes stay valid palette indices even for 16 colours, so they show as
// colours that differ. Needs glibc's per-thread cache off (CMakeLists.txt does so); sanitizer builds
// ignore it.
class HeapFill {
public:
    explicit HeapFill(int byte) { mallopt(M_PERTURB, byte ^ 0xFF); }
    ~HeapFill() { mallopt(M_PERTURB, 0); }
    HeapFill(const HeapFill&) = delete;
    HeapFill& operator=(const HeapFill&) = delete;
};

struct Attempt {
    std::optional<FirstFrame> Frame;
    std::string Error;
};

Attempt TryLoad(int heapFill = 1)
{
    HeapFill fill(heapFill);
    try {
        return {LoadFirstFrame(), {}};
    } catch (const Exception& error) {
        return {std::nullopt, error.Message()};
    }
}

QColor WindowBackground()
{
    return QApplication::palette().color(QPalette::Window);
}

// The view shows the picture from column `left` with alpha ignored: the window is opaque and the
// picture is its backdrop. Past the picture's right or bottom edge the window's background shows.
QImage ExpectedFrame(const PictureCase& picture, int left)
{
    QImage frame(ViewWidth, ViewHeight, QImage::Format_RGB32);
    frame.fill(WindowBackground());
    for (int y = 0; y < std::min(picture.Height, ViewHeight); ++y)
        for (int x = 0; x < std::min(picture.Width - left, ViewWidth); ++x)
            frame.setPixel(x, y, 0xFF000000u | picture.Pixels[static_cast<std::size_t>(y) * picture.Width + left + x]);
    return frame;
}

// One step moves the view a column right, or back to the left edge when the picture is no wider than it.
int LeftAfterOneStep(const PictureCase& picture)
{
    return picture.Width > ViewWidth ? 1 : 0;
}

// Pixels differing by more than tolerance in any channel; the first one is described in firstMismatch.
int Mismatches(const QImage& shown, const QImage& expected, int tolerance, std::string& firstMismatch)
{
    if (shown.size() != expected.size()) {
        firstMismatch = "frame is " + std::to_string(shown.width()) + "x" + std::to_string(shown.height());
        return expected.width() * expected.height();
    }
    const QImage actual = shown.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb got = actual.pixel(x, y);
            const QRgb want = expected.pixel(x, y);
            const bool close = std::abs(qRed(got) - qRed(want)) <= tolerance &&
                std::abs(qGreen(got) - qGreen(want)) <= tolerance && std::abs(qBlue(got) - qBlue(want)) <= tolerance;
            if (close)
                continue;
            if (count++ == 0) {
                std::ostringstream text;
                text << "at (" << x << "," << y << ") shown " << std::hex << got << ", expected " << want;
                firstMismatch = text.str();
            }
        }
    }
    return count;
}

void ExpectNamesFile(const std::string& message)
{
    EXPECT_NE(message.find("BG.bmp"), std::string::npos) << "message: " << message;
}

class PictureCorpusTest : public testing::TestWithParam<PictureCase> {};

TEST_P(PictureCorpusTest, LoadsAsDescribedOrIsRefused)
{
    const PictureCase& picture = GetParam();
    ScratchFolder folder;
    WriteFile(folder.Path("BG.bmp"), picture.Bytes);
    if (picture.Length)
        std::filesystem::resize_file(folder.Path("BG.bmp"), picture.Length);

    const long peakBefore = PeakAddressSpaceKb();
    const Attempt attempt = TryLoad();
    EXPECT_LT(PeakAddressSpaceKb() - peakBefore, GrowthLimitKb) << "address space grew by that many KB";

    switch (picture.Outcome) {
    case Expect::Loads: {
        ASSERT_TRUE(attempt.Frame) << "refused: " << attempt.Error;
        EXPECT_EQ(attempt.Frame->Width, picture.Width);
        EXPECT_EQ(attempt.Frame->Height, picture.Height);
        std::string first;
        EXPECT_EQ(Mismatches(attempt.Frame->Shown, ExpectedFrame(picture, 0), picture.Tolerance, first), 0) << first;
        EXPECT_EQ(Mismatches(attempt.Frame->AfterStep, ExpectedFrame(picture, LeftAfterOneStep(picture)),
                             picture.Tolerance, first), 0)
            << "after one step: " << first;
        break;
    }
    case Expect::Refused:
        EXPECT_FALSE(attempt.Frame) << "loaded as " << attempt.Frame->Width << "x" << attempt.Frame->Height;
        ExpectNamesFile(attempt.Error);
        EXPECT_NE(attempt.Error.find(picture.Message), std::string::npos)
            << "message: " << attempt.Error << "\nexpected: " << picture.Message;
        break;
    case Expect::EitherWay:
        if (!attempt.Frame) {
            ExpectNamesFile(attempt.Error);
            break;
        }
        // Whatever a damaged picture shows must come from the file, not from memory the reader left unset.
        const Attempt again = TryLoad(2);
        ASSERT_TRUE(again.Frame) << "refused the second time: " << again.Error;
        std::string first;
        EXPECT_EQ(Mismatches(again.Frame->Shown, attempt.Frame->Shown, 0, first), 0)
            << first << " (" << picture.Why << ")";
        EXPECT_EQ(Mismatches(again.Frame->AfterStep, attempt.Frame->AfterStep, 0, first), 0)
            << "after one step: " << first << " (" << picture.Why << ")";
        break;
    }
}

// Inputs the fuzzer once failed on (scripts/fuzz.sh keeps them as base64): damaged pictures that
// must now be refused or shown without crash and without leftover memory.
std::vector<PictureCase> FuzzRegressions()
{
    std::vector<PictureCase> cases;
    const QDir folder(QStringLiteral(FUZZ_REGRESSIONS));
    for (const QString& name : folder.entryList({QStringLiteral("*.b64")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = QByteArray::fromBase64(file.readAll());
        PictureCase regression;
        regression.Name = name.chopped(4).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_")).toStdString();
        regression.Outcome = Expect::EitherWay;
        regression.Why = "found by the fuzzer";
        regression.Bytes.assign(bytes.begin(), bytes.end());
        cases.push_back(std::move(regression));
    }
    return cases;
}

const auto CaseName = [](const testing::TestParamInfo<PictureCase>& info) { return info.param.Name; };
INSTANTIATE_TEST_SUITE_P(Corpus, PictureCorpusTest, testing::ValuesIn(PictureCorpus()), CaseName);
INSTANTIATE_TEST_SUITE_P(FuzzRegressions, PictureCorpusTest, testing::ValuesIn(FuzzRegressions()), CaseName);

// Runs the load while a watchdog stands by: if the load still blocks after a generous bound, the
// watchdog feeds the FIFO so the test can end and report the hang instead of being killed.
bool LoadBlocksOnFifo(const std::string& fifo, Attempt& attempt)
{
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    std::atomic<bool> fed = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> guard(lock);
        if (done.wait_for(guard, std::chrono::seconds(10), [&] { return finished; }))
            return;
        const int end = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (end >= 0) {
            fed = true;
            ::close(end);
        }
    });
    attempt = TryLoad();
    {
        std::lock_guard<std::mutex> guard(lock);
        finished = true;
    }
    done.notify_one();
    watchdog.join();
    return fed;
}

// Drops to an unprivileged user for its lifetime, so permission bits bind even when tests run as root.
class Unprivileged {
public:
    Unprivileged() : FWasRoot(::geteuid() == 0)
    {
        if (FWasRoot)
            FDropped = ::setresgid(65534, 65534, 0) == 0 && ::setresuid(65534, 65534, 0) == 0;
    }
    ~Unprivileged()
    {
        if (FWasRoot) {
            EXPECT_EQ(::setresuid(0, 0, 0), 0);
            EXPECT_EQ(::setresgid(0, 0, 0), 0);
        }
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

    bool Holds() const { return !FWasRoot || FDropped; }

private:
    bool FWasRoot;
    bool FDropped = false;
};

struct NotAPictureFile {
    const char* Name;
    std::function<void(const ScratchFolder&)> Make;
};

TEST(NotAPictureFile, IsRefusedWithAMessageNamingTheFile)
{
    const std::vector<NotAPictureFile> rows = {
        {"missing", [](const ScratchFolder&) {}},
        {"directory", [](const ScratchFolder& f) { ASSERT_EQ(::mkdir(f.Path("BG.bmp").c_str(), 0755), 0); }},
        {"dangling_symlink",
         [](const ScratchFolder& f) { ASSERT_EQ(::symlink("gone.bmp", f.Path("BG.bmp").c_str()), 0); }},
        {"symlink_loop", [](const ScratchFolder& f) { ASSERT_EQ(::symlink("BG.bmp", f.Path("BG.bmp").c_str()), 0); }},
        {"symlink_to_device",
         [](const ScratchFolder& f) { ASSERT_EQ(::symlink("/dev/zero", f.Path("BG.bmp").c_str()), 0); }},
    };
    for (const NotAPictureFile& row : rows) {
        SCOPED_TRACE(row.Name);
        ScratchFolder folder;
        row.Make(folder);
        const Attempt attempt = TryLoad();
        EXPECT_FALSE(attempt.Frame);
        ExpectNamesFile(attempt.Error);
    }
}

TEST(NotAPictureFile, UnreadableFileIsRefused)
{
    ScratchFolder folder;
    WriteFile(folder.Path("BG.bmp"), PictureCorpus().front().Bytes);
    ASSERT_EQ(::chmod(folder.Path("BG.bmp").c_str(), 0), 0);
    ASSERT_EQ(::chmod(QDir::currentPath().toLocal8Bit().constData(), 0755), 0);
    Attempt attempt;
    {
        Unprivileged user;
        if (!user.Holds())
            GTEST_SKIP() << "running as root and cannot drop to an unprivileged user";
        attempt = TryLoad();
    }
    EXPECT_FALSE(attempt.Frame);
    ExpectNamesFile(attempt.Error);
}

// Opening a FIFO waits for a writer that never comes: the load must not block the start-up.
TEST(NotAPictureFile, FifoIsRefusedWithoutBlocking)
{
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo(folder.Path("BG.bmp").c_str(), 0644), 0);
    Attempt attempt;
    EXPECT_FALSE(LoadBlocksOnFifo(folder.Path("BG.bmp"), attempt)) << "the load blocked for 10 s";
    EXPECT_FALSE(attempt.Frame);
    ExpectNamesFile(attempt.Error);
}

} // namespace
} // namespace scroll::pictures

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Test discovery lists the tests at build time, where there may be no display to open.
    std::optional<QApplication> app;
    if (!GTEST_FLAG_GET(list_tests))
        app.emplace(argc, argv);
    return RUN_ALL_TESTS();
}

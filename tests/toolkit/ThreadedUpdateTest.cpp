#include "CopySequences.h"
#include "HeldPaintDevice.h"
#include "PaintCounter.h"
#include "Pictures.h"
#include "TBitmap.h"
#include "TCoalescedUpdate.h"
#include "TFramePacer.h"
#include "TImage.h"
#include "TLabel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Steps = 3000;

// A top-level widget whose native window a test may destroy and make anew.
class TopLevel : public QWidget {
public:
    using QWidget::create;
    using QWidget::destroy;
};

// The window as the precision timer's thread sees it: a view onto a wider bitmap and a status label.
class ThreadedUpdates : public testing::Test {
protected:
    void SetUp() override
    {
        Image.setGeometry(0, 0, 800, 356);
        Label.setGeometry(0, 360, 225, 17);
        Window.resize(818, 412);
        Window.show();
        Bitmap.LoadFromFile(WriteBmp(Folder, "BG.bmp", Pattern(1000, 356)));
        Image.Canvas();
    }

    // One scroll step as the window will make it, from whatever thread calls it.
    void Step(int Left)
    {
        Image.Canvas()->CopyRect(TRect{0, 0, 800, 356}, Bitmap.Canvas(), TRect{Left, 0, Left + 800, 356});
        Label.SetCaption("SourceRect.Left = " + std::to_string(Left));
        MostQueued = std::max(MostQueued.load(), TCoalescedUpdate::Queued());
    }

    static int LeftAt(int step) { return step % 201; }

    void DeliverAll()
    {
        const QDeadlineTimer deadline(10000);
        while (TCoalescedUpdate::Queued() > 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
    }

    void ExpectLastStepShown(int left = LeftAt(Steps - 1))
    {
        const std::string caption = "SourceRect.Left = " + std::to_string(left);
        EXPECT_EQ(Label.Caption(), caption);
        EXPECT_EQ(Label.text().toStdString(), caption);
        const QImage shown = Image.grab().toImage();
        for (int x : {0, 1, 399, 799})
            EXPECT_EQ(shown.pixel(x, 100), PatternPixel(x + left, 100)) << "column " << x;
        EXPECT_EQ(TCoalescedUpdate::Queued(), 0);
        // One queued update per control at most: the image's repaint and the label's caption.
        EXPECT_LE(MostQueued.load(), 2);
    }

    QTemporaryDir Folder;
    TopLevel Window;
    TImage Image{&Window};
    TLabel Label{&Window};
    TBitmap Bitmap;
    std::atomic<int> MostQueued{0};
};

TEST_F(ThreadedUpdates, ArriveWhileTheWindowThreadPaints)
{
    // A step costs far less than a paint: the steps go on until enough paints have fallen among them.
    constexpr int Paints = 50;
    std::atomic<bool> done{false};
    std::atomic<int> paints{0};
    int last = 0;
    const QDeadlineTimer deadline(60000);
    std::thread ticker([&] {
        for (int step = 0; (step < Steps || paints < Paints) && !deadline.hasExpired(); ++step) {
            Step(LeftAt(step));
            last = step;
        }
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents();
        Image.grab();
        ++paints;
    }
    ticker.join();
    DeliverAll();
    ExpectLastStepShown(LeftAt(last));
    EXPECT_GE(paints, Paints);
}

TEST_F(ThreadedUpdates, NeverWaitForTheWindowThread)
{
    // The window thread handles no events at all while the other thread steps; it must still finish.
    std::future<void> ticker = std::async(std::launch::async, [&] {
        for (int step = 0; step < Steps; ++step)
            Step(LeftAt(step));
    });
    ASSERT_EQ(ticker.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_LE(TCoalescedUpdate::Queued(), 2);
    DeliverAll();
    ExpectLastStepShown();
}

// A paint stopped in mid-draw, after it took its handles of the pictures: ticks used to wait for the
// picture's lock as long as the paint drew.
TEST_F(ThreadedUpdates, NeverWaitForAPaintInMidDraw)
{
    Step(0);
    std::future<void> ticker;
    bool tickedWhileDrawing = false;
    HeldPaintDevice device(Image.size(), [&](const QImage& /*picture*/) {
        if (ticker.valid())
            return;
        ticker = std::async(std::launch::async, [&] {
            for (int step = 0; step < Steps; ++step)
                Step(LeftAt(step));
        });
        tickedWhileDrawing = ticker.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    });
    Image.render(&device, QPoint(), QRegion(), QWidget::RenderFlags());
    ASSERT_TRUE(ticker.valid()) << "the paint drew no picture";
    EXPECT_TRUE(tickedWhileDrawing) << Steps << " ticks did not end within 30 s of a paint held in mid-draw";
    ticker.get();
    DeliverAll();
    ExpectLastStepShown();
}

// Pictures drawn on while a paint draws them: the paint's handles keep them as they were when it took
// them, and the canvases write to copies.
TEST_F(ThreadedUpdates, APaintInMidDrawKeepsThePicturesItTook)
{
    // The view's own picture, and the bitmap's for the left half copied over it, both in the paint.
    Step(0);
    Image.Canvas()->CopyRect(TRect{0, 0, 400, 356}, Bitmap.Canvas(), TRect{600, 0, 1000, 356});
    std::vector<QImage> drawn;
    HeldPaintDevice device(Image.size(), [&](const QImage& picture) {
        if (drawn.empty())
            std::thread([&] {
                // Copies of either half settle the one before them into the view's picture, and the bitmap
                // is drawn on.
                for (int step = 0; step < 10; ++step) {
                    const int left = step % 2 * 400;
                    Image.Canvas()->CopyRect(
                        TRect{left, 0, left + 400, 356}, Bitmap.Canvas(), TRect{step, 0, step + 400, 356});
                    Bitmap.Canvas()->CopyRect(SourceDrawing.first, Bitmap.Canvas(), SourceDrawing.second);
                }
            }).join();
        drawn.push_back(picture);
    });
    Image.render(&device, QPoint(), QRegion(), QWidget::RenderFlags());
    const QImage loaded = Pattern(1000, 356);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0], loaded.copy(0, 0, 800, 356)) << "the view's picture changed under the paint";
    EXPECT_EQ(drawn[1], loaded) << "the bitmap's picture changed under the paint";
    DeliverAll();
}

// A tick on the window's thread (the standard timer) used to repaint the window once per tick.
TEST_F(ThreadedUpdates, OnTheWindowThreadWaitForTheNextFrame)
{
    Step(42);
    EXPECT_EQ(TCoalescedUpdate::Queued(), 2);
    EXPECT_NE(Label.text().toStdString(), "SourceRect.Left = 42");
    DeliverAll();
    EXPECT_EQ(Label.text().toStdString(), "SourceRect.Left = 42");
    EXPECT_EQ(TCoalescedUpdate::Queued(), 0);
}

// Steps at about 2 kHz: the image is painted no more often than the screen refreshes, and the last step shows.
TEST_F(ThreadedUpdates, PaintAtMostOncePerScreenRefresh)
{
    PaintCounter counter(Image);
    QElapsedTimer clock;
    clock.start();
    std::atomic<bool> done{false};
    std::thread ticker([&] {
        for (int step = 0; step < Steps; ++step) {
            Step(LeftAt(step));
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        done = true;
    });
    const QDeadlineTimer deadline(120000);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ticker.join();
    DeliverAll();
    const double refreshes = double(clock.elapsed()) * Window.screen()->refreshRate() / 1000;
    // Besides one frame per refresh: the window's first exposure, and the first frame and the last
    // falling at either end of the run.
    EXPECT_LE(counter.Paints, refreshes + 4);
    EXPECT_GE(counter.Paints, 2);
    ExpectLastStepShown();
}

// Eats the window's update requests, as a platform does that drops one or makes its native window anew.
class DropUpdateRequests : public QObject {
protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override { return event->type() == QEvent::UpdateRequest; }
};

bool WaitFor(const std::function<bool()>& Done)
{
    const QDeadlineTimer deadline(10000);
    while (!Done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return Done();
}

// Once a frame request went unanswered, no later change ever reached the screen.
TEST_F(ThreadedUpdates, AFrameTheWindowNeverAnsweredStillShows)
{
    Step(1);
    DeliverAll();
    DropUpdateRequests dropper;
    Window.windowHandle()->installEventFilter(&dropper);
    for (int left : {2, 3}) {
        Step(left);
        const std::string caption = "SourceRect.Left = " + std::to_string(left);
        EXPECT_TRUE(WaitFor([&] { return Label.text().toStdString() == caption; })) << caption;
        EXPECT_EQ(Image.grab().toImage().pixel(0, 100), PatternPixel(left, 100));
    }
    EXPECT_EQ(TCoalescedUpdate::Queued(), 0);
}

// Out of sight, the window paints nothing however often it changes; back in sight, it shows the latest.
TEST_F(ThreadedUpdates, AHiddenWindowMakesNoFramesAndShowsTheLatestWhenBack)
{
    Step(1);
    DeliverAll();
    PaintCounter counter(Image);
    Window.setWindowState(Qt::WindowMinimized);
    std::thread ticker([&] {
        for (int step = 2; step <= 50; ++step) {
            Step(step);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const QDeadlineTimer deadline(500);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ticker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.Paints, 0);
    EXPECT_EQ(Label.text().toStdString(), "SourceRect.Left = 1");

    Window.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(WaitFor([&] { return Label.text().toStdString() == "SourceRect.Left = 50"; }));
    EXPECT_TRUE(WaitFor([&] { return counter.Paints > 0; }));
    const QImage onScreen = Window.screen()->grabWindow(Window.winId()).toImage();
    for (int x : {0, 399, 799})
        EXPECT_EQ(onScreen.pixel(x, 100), PatternPixel(x + 50, 100)) << "column " << x;
    EXPECT_EQ(TCoalescedUpdate::Queued(), 0);
}

struct Remake {
    const char* Name;
    std::function<void(TopLevel& Window)> Do;
};

void PrintTo(const Remake& Row, std::ostream* Out)
{
    *Out << Row.Name;
}

class NativeWindowMadeAnew : public ThreadedUpdates, public testing::WithParamInterface<Remake> {};

// A native window made anew while a frame request stood: the request went to the one that was gone, and no
// change reached the screen again.
TEST_P(NativeWindowMadeAnew, TheNextChangesStillShow)
{
    Step(1);
    DeliverAll();
    // On the window's thread the frame is asked for at once, so the request stands while the window goes.
    Step(2);
    GetParam().Do(Window);
    EXPECT_TRUE(WaitFor([&] { return Label.text().toStdString() == "SourceRect.Left = 2"; }));
    std::thread([&] { Step(3); }).join();
    DeliverAll();
    EXPECT_EQ(Label.text().toStdString(), "SourceRect.Left = 3");
    const QImage onScreen = Window.screen()->grabWindow(Window.winId()).toImage();
    for (int x : {0, 399, 799})
        EXPECT_EQ(onScreen.pixel(x, 100), PatternPixel(x + 3, 100)) << "column " << x;
    EXPECT_EQ(TCoalescedUpdate::Queued(), 0);
}

INSTANTIATE_TEST_SUITE_P(Remakes, NativeWindowMadeAnew,
    testing::Values(
        Remake{"NewNativeWindow",
            [](TopLevel& Window) {
                Window.destroy();
                Window.create();
                Window.show();
            }},
        Remake{"HiddenMadeAnewShownAgain",
            [](TopLevel& Window) {
                Window.hide();
                Window.destroy();
                Window.create();
                Window.show();
            }},
        Remake{"SameWindowsPlatformWindowMadeAnew",
            [](TopLevel& Window) {
                QWindow* native = Window.windowHandle();
                native->destroy();
                native->create();
                native->show();
            }}),
    [](const auto& info) { return info.param.Name; });

}  // namespace

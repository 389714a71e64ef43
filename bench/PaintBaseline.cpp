// The least program that shows the same motion, as the yardstick for our CPU use:
//   scroll_paint_baseline MS
// A real-time thread on absolute deadlines advances a position one pixel every MS milliseconds, and one widget
// of our window's size paints, at most once per screen refresh, the view at that position straight from BG.bmp
// and the status line "SourceRect.Left = N", each where resources/Unit1.ui places them. Speaks to its parent
// like `scroll_app_probe paint`. Runs in a directory holding BG.bmp.

#include "BaselineTicker.h"
#include "FormDescription.h"
#include "LatencyStats.h"
#include "PaintWatch.h"
#include "TickLog.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Lives on the GUI thread; step() is the ticking thread's.
class Window : public QWidget {
public:
    Window(QSize size, QRect view, QRect status, QImage picture, std::int64_t refreshNs)
        : FView(view),
          FStatus(status),
          FPicture(std::move(picture)),
          FCycle(bench::scrollCycle(FPicture.width())),
          FRefreshNs(refreshNs)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(size);
    }

    QPoint viewAt() const { return FView.topLeft(); }

    // Asks for a frame unless one is already coming.
    void step()
    {
        FLeft.store((FLeft.load(std::memory_order_relaxed) + 1) % FCycle, std::memory_order_relaxed);
        if (!FFrameAsked.exchange(true))
            QMetaObject::invokeMethod(this, [this] { frameInTurn(); }, Qt::QueuedConnection);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        FFrameAsked = false; // a step from now on needs a frame of its own
        const std::int64_t now = bench::monotonicNs();
        // Half a refresh of slack keeps the pace on average without two frames back to back after a late one.
        FNextFrameNs = std::max(FNextFrameNs + FRefreshNs, now + FRefreshNs / 2);
        const int left = FLeft.load(std::memory_order_relaxed);
        QPainter painter(this);
        painter.drawImage(FView.topLeft(), FPicture, QRect(left, 0, FView.width(), FView.height()));
        painter.setClipRegion(event->region().subtracted(FView));
        painter.fillRect(rect(), palette().window());
        painter.drawText(FStatus, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("SourceRect.Left = %1").arg(left));
    }

private:
    // A frame now, or when a refresh has passed since the last one.
    void frameInTurn()
    {
        const auto frame = [this] {
            update(FView);
            update(FStatus);
        };
        const std::int64_t wait = FNextFrameNs - bench::monotonicNs();
        if (wait <= 0)
            frame();
        else
            QTimer::singleShot(std::chrono::milliseconds(wait / 1'000'000), Qt::PreciseTimer, this, frame);
    }

    const QRect FView;
    const QRect FStatus;
    const QImage FPicture;
    const int FCycle;
    const std::int64_t FRefreshNs;
    std::int64_t FNextFrameNs = 0; // the GUI thread's alone
    std::atomic<bool> FFrameAsked{false};
    std::atomic<int> FLeft{0};
};

}  // namespace

int main(int argc, char* argv[])
{
    const int intervalMs = argc == 2 ? std::atoi(argv[1]) : 0;
    if (intervalMs <= 0) {
        std::fprintf(stderr, "usage: scroll_paint_baseline MS\n");
        return 2;
    }
    QApplication app(argc, argv);
    bench::useTheProgramsFont();
    const std::vector<bench::FormControl> form = bench::readFormDescription();
    const QImage picture = QImage(QStringLiteral("BG.bmp")).convertToFormat(QImage::Format_RGB32);
    const auto geometry = [&form](const QString& name) {
        return bench::control(form, name).properties.value(QStringLiteral("geometry")).toRect();
    };
    if (form.empty() || picture.width() < geometry("Image1").width() ||
        picture.height() < geometry("Image1").height()) {
        std::fprintf(stderr, "scroll_paint_baseline: the form description or BG.bmp is unreadable, or BG.bmp is "
                             "smaller than the view\n");
        return 1;
    }
    const double hz = QGuiApplication::primaryScreen()->refreshRate();
    Window window(geometry("Form1").size(), geometry("Image1"), geometry("Label1"), picture, std::llround(1e9 / hz));
    std::unique_ptr<bench::BaselineTicker> ticker;
    new bench::PaintWatch(&window, [&, started = false](std::int64_t) mutable {
        if (std::exchange(started, true))
            return;
        // From now on this watch sees no paints: the log's, installed later, takes them first.
        bench::logFramesUntilStdinCloses(&window, picture, [&ticker] { ticker.reset(); }, window.viewAt());
        const std::int64_t t0 = bench::monotonicNs();
        ticker = std::make_unique<bench::BaselineTicker>(t0, std::int64_t(intervalMs) * 1'000'000, [&window] {
            window.step();
            return true;
        });
        bench::reportLine(
            {{"started_ns", t0}, {"width", picture.width()}, {"refresh_mhz", std::llround(hz * 1000)}});
    });
    window.show();
    return app.exec();
}

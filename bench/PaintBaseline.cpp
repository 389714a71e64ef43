// The least a program can do to scroll the picture at an interval, as the yardstick for our CPU use:
//   scroll_paint_baseline MS
// A thread on absolute deadlines copies the 800 x 356 view out of BG.bmp every MS milliseconds, one
// pixel further each time, and a widget paints the latest view soon after it changed, at most once per
// screen refresh. Speaks to its parent like `scroll_app_probe paint`. Runs in a directory holding BG.bmp.

#include "BaselineTicker.h"
#include "LatencyStats.h"
#include "PaintWatch.h"
#include "TickLog.h"

#include <QApplication>
#include <QImage>
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
#include <cstring>
#include <memory>
#include <mutex>

namespace {

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 356;

// The view: the ticking thread draws it, the GUI thread paints it. Lives on the GUI thread.
class View : public QWidget {
public:
    View(QImage picture, std::int64_t refreshNs)
        : FPicture(std::move(picture)),
          FView(kViewWidth, kViewHeight, QImage::Format_RGB32),
          FCycle(bench::scrollCycle(FPicture.width())),
          FRefreshNs(refreshNs)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(kViewWidth, kViewHeight);
        draw();
    }

    // One scroll step, on the ticking thread; asks for a paint unless one is already coming.
    void step()
    {
        draw();
        if (!FPaintAsked.exchange(true))
            QMetaObject::invokeMethod(this, [this] { paintInTurn(); }, Qt::QueuedConnection);
    }

    int left() const
    {
        std::lock_guard lock(FLock);
        return FLeft;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        FPaintAsked = false; // a step from now on needs a paint of its own
        const std::int64_t now = bench::monotonicNs();
        // Half a refresh of slack keeps the pace on average without two paints back to back after a late one.
        FNextPaintNs = std::max(FNextPaintNs + FRefreshNs, now + FRefreshNs / 2);
        QPainter painter(this);
        std::lock_guard lock(FLock);
        painter.drawImage(0, 0, FView);
    }

private:
    void draw()
    {
        const int from = std::min(FNext, FPicture.width() - 1);
        const int bytes = std::min(kViewWidth, FPicture.width() - from) * 4;
        std::lock_guard lock(FLock);
        for (int y = 0; y < std::min(kViewHeight, FPicture.height()); ++y)
            std::memcpy(FView.scanLine(y), FPicture.constScanLine(y) + from * 4, std::size_t(bytes));
        FLeft = FNext;
        FNext = (FNext + 1) % FCycle;
    }

    // On the GUI thread: paints now, or when a refresh has passed since the last paint.
    void paintInTurn()
    {
        const std::int64_t wait = FNextPaintNs - bench::monotonicNs();
        if (wait <= 0)
            update();
        else
            QTimer::singleShot(std::chrono::milliseconds(wait / 1'000'000), Qt::PreciseTimer, this,
                               [this] { update(); });
    }

    const QImage FPicture;
    QImage FView;
    const int FCycle;
    const std::int64_t FRefreshNs;
    int FNext = 0;                 // the ticking thread's alone
    std::int64_t FNextPaintNs = 0; // the GUI thread's alone
    std::atomic<bool> FPaintAsked{false};
    mutable std::mutex FLock;
    int FLeft = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    const int intervalMs = argc == 2 ? std::atoi(argv[1]) : 0;
    if (intervalMs <= 0) {
        std::fprintf(stderr, "usage: scroll_paint_baseline MS\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QImage picture = QImage(QStringLiteral("BG.bmp")).convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) {
        std::fprintf(stderr, "scroll_paint_baseline: cannot read BG.bmp\n");
        return 1;
    }
    const double hz = QGuiApplication::primaryScreen()->refreshRate();
    View view(picture, std::llround(1e9 / hz));
    std::unique_ptr<bench::BaselineTicker> ticker;
    new bench::PaintWatch(&view, [&, started = false](std::int64_t) mutable {
        if (std::exchange(started, true))
            return;
        // From now on this watch sees no paints: the log's, installed later, takes them first.
        bench::logFramesUntilStdinCloses(
            &view, [&view] { return view.left(); }, [&ticker] { ticker.reset(); });
        const std::int64_t t0 = bench::monotonicNs();
        ticker = std::make_unique<bench::BaselineTicker>(t0, std::int64_t(intervalMs) * 1'000'000, [&view] {
            view.step();
            return true;
        });
        bench::reportLine(
            {{"started_ns", t0}, {"width", picture.width()}, {"refresh_mhz", std::llround(hz * 1000)}});
    });
    view.show();
    return app.exec();
}

// The least program that shows the same motion, as the yardstick for our CPU use:
//   scroll_paint_baseline MS
// A real-time thread on absolute deadlines advances a position one pixel every MS milliseconds, and a widget
// paints the 800 x 356 view at that position straight from BG.bmp, at most once per screen refresh. Speaks to
// its parent like `scroll_app_probe paint`. Runs in a directory holding BG.bmp.

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
#include <memory>

namespace {

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 356;

// Lives on the GUI thread; step() is the ticking thread's.
class View : public QWidget {
public:
    View(QImage picture, std::int64_t refreshNs)
        : FPicture(std::move(picture)), FCycle(bench::scrollCycle(FPicture.width())), FRefreshNs(refreshNs)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(kViewWidth, kViewHeight);
    }

    // Asks for a paint unless one is already coming.
    void step()
    {
        FLeft.store((FLeft.load(std::memory_order_relaxed) + 1) % FCycle, std::memory_order_relaxed);
        if (!FPaintAsked.exchange(true))
            QMetaObject::invokeMethod(this, [this] { paintInTurn(); }, Qt::QueuedConnection);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        FPaintAsked = false;  // a step from now on needs a paint of its own
        const std::int64_t now = bench::monotonicNs();
        // Half a refresh of slack keeps the pace on average without two paints back to back after a late one.
        FNextPaintNs = std::max(FNextPaintNs + FRefreshNs, now + FRefreshNs / 2);
        QPainter(this).drawImage(0, 0, FPicture, FLeft.load(std::memory_order_relaxed), 0, kViewWidth, kViewHeight);
    }

private:
    // Paints now, or when a refresh has passed since the last paint.
    void paintInTurn()
    {
        const std::int64_t wait = FNextPaintNs - bench::monotonicNs();
        if (wait <= 0)
            update();
        else
            QTimer::singleShot(std::chrono::milliseconds(wait / 1'000'000), Qt::PreciseTimer, this, [this] { update(); });
    }

    const QImage FPicture;
    const int FCycle;
    const std::int64_t FRefreshNs;
    std::int64_t FNextPaintNs = 0;  // the GUI thread's alone
    std::atomic<bool> FPaintAsked{false};
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
    const QImage picture = QImage(QStringLiteral("BG.bmp")).convertToFormat(QImage::Format_RGB32);
    if (picture.width() < kViewWidth || picture.height() < kViewHeight) {
        std::fprintf(stderr, "scroll_paint_baseline: BG.bmp is unreadable or smaller than the view\n");
        return 1;
    }
    const double hz = QGuiApplication::primaryScreen()->refreshRate();
    View view(picture, std::llround(1e9 / hz));
    std::unique_ptr<bench::BaselineTicker> ticker;
    new bench::PaintWatch(&view, [&, started = false](std::int64_t) mutable {
        if (std::exchange(started, true))
            return;
        // From now on this watch sees no paints: the log's, installed later, takes them first.
        bench::logFramesUntilStdinCloses(&view, picture, [&ticker] { ticker.reset(); });
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

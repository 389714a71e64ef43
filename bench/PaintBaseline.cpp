// The least a program can do to scroll the picture at an interval, as the yardstick for our CPU use:
//   scroll_paint_baseline MS
// A thread on absolute deadlines copies the 800 x 356 view out of BG.bmp every MS milliseconds, one
// pixel further each time, and a widget paints the latest view once per screen refresh. Speaks to
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

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 356;

// The view the thread draws and the widget shows.
class View : public QWidget {
public:
    explicit View(QImage picture)
        : FPicture(std::move(picture)),
          FView(kViewWidth, kViewHeight, QImage::Format_RGB32),
          FCycle(bench::scrollCycle(FPicture.width()))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(kViewWidth, kViewHeight);
        step();
    }

    // One scroll step, on the ticking thread.
    void step()
    {
        const int from = std::min(FNext, FPicture.width() - 1);
        const int bytes = std::min(kViewWidth, FPicture.width() - from) * 4;
        std::lock_guard lock(FLock);
        for (int y = 0; y < std::min(kViewHeight, FPicture.height()); ++y)
            std::memcpy(FView.scanLine(y), FPicture.constScanLine(y) + from * 4, std::size_t(bytes));
        FLeft = FNext;
        FNext = (FNext + 1) % FCycle;
    }

    int left() const
    {
        std::lock_guard lock(FLock);
        return FLeft;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        std::lock_guard lock(FLock);
        painter.drawImage(0, 0, FView);
    }

private:
    const QImage FPicture;
    QImage FView;
    const int FCycle;
    int FNext = 0; // the ticking thread's alone
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
    View view(picture);
    std::unique_ptr<bench::BaselineTicker> ticker;
    QTimer refresh;
    refresh.setTimerType(Qt::PreciseTimer);
    QObject::connect(&refresh, &QTimer::timeout, &view, qOverload<>(&QWidget::update));
    new bench::PaintWatch(&view, [&, started = false](std::int64_t) mutable {
        if (std::exchange(started, true))
            return;
        // From now on this watch sees no paints: the log's, installed later, takes them first.
        bench::logFramesUntilStdinCloses(
            &view, [&view] { return view.left(); }, [&] {
                refresh.stop();
                ticker.reset();
            });
        const double hz = view.screen()->refreshRate();
        refresh.start(int(std::lround(1000 / hz)));
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

#include "PaintWatch.h"

#include "LatencyStats.h"
#include "TickLog.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QWidget>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace bench {

PaintWatch::PaintWatch(QWidget* target, std::function<void(std::int64_t)> onPainted)
    : QObject(target),
      FOnPainted(std::move(onPainted))
{
    target->installEventFilter(this);
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return false;
    // Paint here rather than let the event pass, so the time taken is when the frame is drawn.
    watched->event(event);
    FOnPainted(monotonicNs());
    return true;
}

void reportFirstPaintAndExit(QWidget* target)
{
    new PaintWatch(target, [reported = false](std::int64_t paintedNs) mutable {
        if (std::exchange(reported, true))
            return;
        reportLine({{"first_paint_ns", paintedNs}, {"rss_kib", peakRssKiB()}});
        // Queued, so the frame is flushed before the loop ends.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
}

namespace {

// Finds which columns of a picture a painted view shows, trying the left edges from the last one found
// onwards, so that a frame costs a few row comparisons rather than a search of the whole picture.
class ViewFinder {
public:
    explicit ViewFinder(QImage picture)
        : FPicture(std::move(picture)), FCycle(scrollCycle(FPicture.width()))
    {
    }

    // -1 when no left edge fits.
    int find(const QImage& painted, QPoint at)
    {
        if (painted.depth() != 32 || at.x() + kWidth > painted.width()
            || at.y() + kHeight > painted.height() || FPicture.height() < kHeight)
            return -1;
        for (int tried = 0; tried < FCycle; ++tried) {
            const int left = (FLast + tried) % FCycle;
            if (shows(painted, at, left))
                return FLast = left;
        }
        return -1;
    }

private:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 356;
    // Rows through the marks and numbers at the top, the sky and the hills: together they tell every left
    // edge of the sample picture apart, and most wrong ones fail on their first few pixels.
    static constexpr int kRows[] = {5, 36, 120, 200, 250, 280, 350};

    bool shows(const QImage& painted, QPoint at, int left) const
    {
        for (int row : kRows) {
            const auto* seen = reinterpret_cast<const QRgb*>(painted.constScanLine(at.y() + row)) + at.x();
            const auto* drawn = reinterpret_cast<const QRgb*>(FPicture.constScanLine(row)) + left;
            for (int column = 0; column < kWidth; ++column)
                if ((seen[column] ^ drawn[column]) & 0xffffff)
                    return false;
        }
        return true;
    }

    const QImage FPicture;
    const int FCycle;
    int FLast = 0;
};

}  // namespace

void logFramesUntilStdinCloses(QWidget* target, QImage picture, std::function<void()> stop, QPoint viewAt)
{
    // Painted on the GUI thread only; room for minutes of frames, so logging allocates nothing.
    auto frames = std::make_shared<std::vector<PaintedFrame>>();
    frames->reserve(1 << 18);
    auto finder = std::make_shared<ViewFinder>(std::move(picture).convertToFormat(QImage::Format_RGB32));
    new PaintWatch(target, [target, frames, finder, viewAt](std::int64_t paintedNs) {
        // The raster backing store paints into an image: what the paint put there is what the screen gets.
        const QPaintDevice* device = target->window()->backingStore()->paintDevice();
        const int left = device && device->devType() == QInternal::Image
            ? finder->find(*static_cast<const QImage*>(device), target->mapTo(target->window(), viewAt))
            : -1;
        frames->push_back({paintedNs, left});
    });

    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, target);
    QObject::connect(notifier, &QSocketNotifier::activated, target,
        [notifier, frames, stop = std::move(stop)] {
            char discard[256];
            if (read(STDIN_FILENO, discard, sizeof discard) > 0)
                return;
            notifier->setEnabled(false);
            stop();
            for (const PaintedFrame& frame : *frames)
                std::printf("%lld %d\n", static_cast<long long>(frame.paintedNs), frame.left);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
}

std::int64_t peakRssKiB()
{
    // Not getrusage's ru_maxrss: across exec it keeps the peak of the forking parent's memory.
    // /proc files report size 0, so read the whole file rather than test atEnd().
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).simplified().split(' ').value(0).toLongLong();
    }
    return 0;
}

void reportLine(std::initializer_list<std::pair<const char*, std::int64_t>> fields)
{
    QJsonObject line;
    for (const auto& [key, value] : fields)
        line.insert(QLatin1String(key), qint64(value));
    std::printf("%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

} // namespace bench

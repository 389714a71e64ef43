#include "PaintWatch.h"

#include "LatencyStats.h"
#include "TickLog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QSocketNotifier>
#include <QWidget>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace bench {

PaintWatch::PaintWatch(QWidget* target, std::function<void(std::int64_t)> onPainted,
                       std::function<void()> beforePaint)
    : QObject(target),
      FOnPainted(std::move(onPainted)),
      FBeforePaint(std::move(beforePaint))
{
    target->installEventFilter(this);
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return false;
    if (FBeforePaint)
        FBeforePaint();
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

void logFramesUntilStdinCloses(QWidget* target, std::function<int()> left, std::function<void()> stop)
{
    // Painted on the GUI thread only; room for minutes of frames, so logging allocates nothing.
    auto frames = std::make_shared<std::vector<PaintedFrame>>();
    frames->reserve(1 << 18);
    auto shownLeft = std::make_shared<int>(0);
    new PaintWatch(
        target, [frames, shownLeft](std::int64_t paintedNs) { frames->push_back({paintedNs, *shownLeft}); },
        [shownLeft, left = std::move(left)] { *shownLeft = left(); });

    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, target);
    QObject::connect(notifier, &QSocketNotifier::activated, target, [notifier, frames, stop = std::move(stop)] {
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
    for (const auto& [key, value] : fields)
        std::printf("%s=%lld ", key, static_cast<long long>(value));
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace bench

#include "PaintWatch.h"

#include "TickLog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

#include <cstdio>

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

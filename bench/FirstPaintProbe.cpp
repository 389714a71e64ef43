#include "FirstPaintProbe.h"

#include "TickLog.h"

#include <QEvent>
#include <QFile>
#include <QWidget>
#include <cstdio>

namespace bench {

FirstPaintProbe::FirstPaintProbe(QWidget* target, std::function<void(std::int64_t)> onPainted)
    : FOnPainted(std::move(onPainted)) {
  target->installEventFilter(this);
}

bool FirstPaintProbe::eventFilter(QObject* watched, QEvent* event) {
  if (FSeen || event->type() != QEvent::Paint) return false;
  FSeen = true;
  // Paint now rather than let the event pass, so the time taken is after the
  // frame is drawn, not before.
  watched->removeEventFilter(this);
  watched->event(event);
  FOnPainted(monotonicNs());
  return true;
}

std::int64_t peakRssKiB() {
  // /proc files report size 0, so read the whole file rather than test atEnd().
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).simplified().split(' ').value(0).toLongLong();
  }
  return 0;
}

void reportLine(std::initializer_list<std::pair<const char*, std::int64_t>> fields) {
  for (const auto& [key, value] : fields) std::printf("%s=%lld ", key, static_cast<long long>(value));
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace bench

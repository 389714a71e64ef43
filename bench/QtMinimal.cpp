// The yardstick for start-up: the least a Qt Widgets program does to show an
// empty window of the main window's size, measured the same way as ours.

#include "FirstPaintProbe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(826, 439);
  bench::FirstPaintProbe probe(&window, [&app](std::int64_t paintedNs) {
    bench::reportLine({{"first_paint_ns", paintedNs}, {"rss_kib", bench::peakRssKiB()}});
    // Queued, so the frame is flushed before the loop ends.
    QMetaObject::invokeMethod(&app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  });
  window.show();
  return app.exec();
}

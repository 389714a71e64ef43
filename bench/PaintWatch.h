#pragma once

#include <QImage>
#include <QObject>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>

class QWidget;

namespace bench {

// Calls back after every paint of one widget with the time the paint ended, for start-up and
// frame-rate figures. A child of that widget, on the GUI thread;
// a watch installed later on the same widget takes the paints first, and this one sees none.
class PaintWatch : public QObject {
    Q_OBJECT

public:
    PaintWatch(QWidget* target, std::function<void(std::int64_t paintedNs)> onPainted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(std::int64_t)> FOnPainted;
};

// For start-up probes: prints when `target` first finished painting and the peak RSS by then,
// then ends the event loop.
void reportFirstPaintAndExit(QWidget* target);

// For paint probes: logs every paint of `target`, which shows an 800 x 356 view onto `picture` at `viewAt`,
// with the left edge of the view it painted, read back from the window's backing store. When standard input
// reaches its end, which is how the parent says stop, calls `stop`, prints the log, a "PAINTED_NS LEFT" line
// a frame, and ends the event loop. LEFT is -1 for a paint that showed no view of the picture.
void logFramesUntilStdinCloses(QWidget* target, QImage picture, std::function<void()> stop, QPoint viewAt = {});

// Peak resident set of this process so far (VmHWM), in KiB; 0 if unreadable.
std::int64_t peakRssKiB();

// The one line a probe process prints for its parent: a JSON object of the fields.
void reportLine(std::initializer_list<std::pair<const char*, std::int64_t>> fields);

} // namespace bench

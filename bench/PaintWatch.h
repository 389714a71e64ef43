#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>

class QWidget;

namespace bench {

// Calls back after every paint of one widget with the time the paint ended, for start-up and
// frame-rate figures. A child of that widget, on the GUI thread.
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

// Peak resident set of this process so far (VmHWM), in KiB; 0 if unreadable.
std::int64_t peakRssKiB();

// The one line a probe process prints for its parent: "key=value ..." pairs.
void reportLine(std::initializer_list<std::pair<const char*, std::int64_t>> fields);

} // namespace bench

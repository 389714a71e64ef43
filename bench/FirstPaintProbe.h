#pragma once
// Catches the first paint of one widget and calls back once it has painted,
// for start-up figures. Lives on the GUI thread; the widget must outlive it.

#include <QObject>
#include <cstdint>
#include <functional>

class QWidget;

namespace bench {

class FirstPaintProbe : public QObject {
  Q_OBJECT

 public:
  FirstPaintProbe(QWidget* target, std::function<void(std::int64_t paintedNs)> onPainted);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(std::int64_t)> FOnPainted;
  bool FSeen = false;
};

// Peak resident set of this process so far (VmHWM), in KiB; 0 if unreadable.
std::int64_t peakRssKiB();

// The one line a probe process prints for its parent: "key=value ..." pairs.
void reportLine(std::initializer_list<std::pair<const char*, std::int64_t>> fields);

}  // namespace bench

#pragma once
// Draws lateness histograms of several tick sources side by side, counts on a
// log scale, into an image the caller saves. Needs a QGuiApplication for fonts.

#include "LatencyStats.h"

#include <QImage>
#include <QString>
#include <vector>

namespace bench {

struct LatencyPanel {
  QString title;
  Histogram histogram;
  LatencySummary summary;
};

QImage drawLatencyPanels(const QString& heading, const std::vector<LatencyPanel>& panels);

}  // namespace bench

#pragma once

#include "LatencyStats.h"

#include <QImage>
#include <QString>

#include <vector>

namespace bench {

// One tick source's histogram and figures, for a panel of the plot.
struct LatencyPanel {
    QString title;
    Histogram histogram;
    LatencySummary summary;
};

// Draws the panels side by side on shared axes, counts on a log scale, each bucket one bar
// and the overflow a bar of its own. Needs a QGuiApplication, for the fonts.
QImage drawLatencyPanels(const QString& heading, const std::vector<LatencyPanel>& panels);

} // namespace bench

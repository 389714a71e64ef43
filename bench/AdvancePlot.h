#pragma once

#include "LatencyStats.h"

#include <QImage>
#include <QString>

#include <vector>

namespace bench {

// One program's scroll as a screen showed it, for a panel of the plot.
struct AdvancePanel {
    QString title;
    std::vector<int> advances; // pixels moved at each refresh, in order
    double refreshHz = 0;
    double idealPx = 0;
    double framesPerS = 0; // painted
    AdvanceSummary summary;
};

// Draws the first `seconds` of each panel's advances as bars, one per refresh, in rows of `columns`
// panels, with the ideal advance dashed and refreshes that repeated a picture marked. Needs a
// QGuiApplication, for the fonts.
QImage drawAdvancePanels(const QString& heading, const std::vector<AdvancePanel>& panels, int columns,
                         double seconds);

} // namespace bench

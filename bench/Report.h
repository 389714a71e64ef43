#pragma once

// The driver's figures of one run, and how it reports them: the table, results.json and the plots.

#include "Measure.h"

#include <QImage>
#include <QJsonObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace bench {

// How much each measurement takes; --quick trades precision for a run well under a minute.
struct Plan {
    int timerRounds;       // the tick sources at each interval start anew this often, trading phases
    std::size_t ticks1ms;  // a round's, as are the 10 and 16 ms ticks and the ordinary-priority ones
    std::size_t ticks10ms;
    std::size_t ticks16ms;
    std::size_t scrollTicks;
    std::size_t steps;
    int startupRounds; // each start-up probe once a round
    int idleSeconds;
    int paintSeconds;
    int paintRounds;  // each program at each interval, taking turns; the median run counts
    std::size_t ordinaryTicks;
    std::size_t wakeTicks1ms;
    std::size_t wakeTicks1000ms;
    int kills;
};

inline constexpr Plan kFull{10, 1'000, 800, 500, 10'000, 5'000, 48, 5, 5, 3, 1'000, 5'000, 10, 20};
inline constexpr Plan kQuick{6, 400, 100, 70, 2'000, 2'000, 24, 2, 2, 1, 300, 1'000, 3, 5};

inline constexpr int kWideWidth = 20'000;
inline constexpr unsigned kPaintIntervals[] = {1, 10, 16};
// The timers as the window offers them, by the names the app probe and results.json use.
inline const std::pair<QString, QString> kTimers[] = {{QStringLiteral("mm"), QStringLiteral("precision timer")},
                                                      {QStringLiteral("std"), QStringLiteral("standard timer")}};
inline constexpr double kPlotSeconds = 3;

inline QString paintKey(const QString& timer, unsigned ms)
{
    return QStringLiteral("%1_%2ms").arg(timer).arg(ms);
}

struct Results {
    TickFigures mm1, base1, mm10, base10, std10, mm16, base16;
    TickFigures mm1User, base1User; // both empty if the ordinary-priority run failed
    ScrollFigures scroll;
    StepCost step;
    std::int64_t bitmapBytes = 0;
    StartupFigures app, sameWindow, qtMin, wide;  // qtMin: an empty window
    double startupRatio = 0;                       // ours over the same window, the median of the rounds' ratios
    std::map<unsigned, WakeupFigures> wakeups;     // by period in ms
    LatencySummary kill;                           // at a 1,000 ms period
    double stoppedPct = 0, mm10Pct = 0, std10Pct = 0;
    std::map<QString, PaintFigures> paint;          // by paintKey
    std::map<unsigned, PaintFigures> paintBaseline; // by interval
};

// A figure against its limit, both in the figure's unit. A figure this run cannot vouch for says why.
struct Target {
    QString name;
    double value;
    double limit;
    bool met;
    QString unjudged = {};
};

// The targets of the issue as this run meets them; --quick leaves some unjudged.
std::vector<Target> targets(const Results& r, bool quick);

void printReport(const Results& r, const Plan& plan, const std::vector<Target>& targets);

QJsonObject resultsJson(const Results& r, const Plan& plan, bool quick, const std::vector<Target>& targets);

QImage latencyPlot(const Results& r);

// The first `seconds` of the advance per refresh, each timer and the baseline at each interval.
QImage advancePlot(const Results& r, double seconds);

} // namespace bench

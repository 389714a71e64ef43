#pragma once

// The measurements the benchmark driver runs, each taking its figures in the call that
// reports them. All run on the GUI thread of a running TApplication (offscreen platform).

#include "LatencyStats.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

class TForm1;

namespace bench {

// Reports count the ticks more than 1 ms late and name the first few.
inline constexpr std::int64_t kOutlierNs = 1'000'000;
inline constexpr std::size_t kOutliersKept = 5;
// Drift compares the first and the last ten ticks, so that a late tick at either end is not taken for it.
inline constexpr std::size_t kDriftWindow = 10;

struct TickFigures {
    std::vector<std::int64_t> latenessNs; // against the deadline the source set for each tick
    LatencySummary summary;
    Histogram histogram; // its overflow: the ticks kOutlierNs or more late
    std::int64_t driftNs = 0;
    std::size_t lost = 0; // deadlines that passed without a tick
    bool realTime = false; // the source's thread had a real-time priority
};

// The wakes one tick source recorded from one start, and that start.
struct TickRecord {
    std::int64_t t0Ns = 0;
    std::vector<std::int64_t> wakesNs;
    std::vector<std::int64_t> endsNs; // when each tick's handler returned, which a skipping policy looks at;
                                      // empty where the handler returns within nanoseconds of its wake
    bool realTime = false;
};

// One source's figures over rounds, each against its own start: lateness pooled in round order, lost
// ticks summed, the drift of the round whose schedule slipped most, and real time if any round had it.
TickFigures analyse(std::span<const TickRecord> rounds, std::int64_t periodNs, const DeadlinePolicy& next);

// The precision timer ("mmtimer"), the baseline thread ("baseline") and, if asked, the standard timer
// ("stdtimer") ticking side by side at one period, in `rounds` rounds of `ticks` wakes each, every source
// started anew each round at the point of the period roundStarts gives.
using TimerRounds = std::map<QString, std::vector<TickRecord>>;
TimerRounds recordTimers(unsigned periodMs, std::size_t ticks, int rounds, bool withStandardTimer);

// Each source's figures against the deadlines its own policy sets.
std::map<QString, TickFigures> analyseTimers(const TimerRounds& records, unsigned periodMs);

// recordTimers for the precision timer and the baseline in a child process that may not take a
// real-time priority, as an ordinary desktop user's; `program` is this driver, run as
// `program --ordinary-priority-child PERIOD TICKS ROUNDS`. Empty if the child failed.
TimerRounds recordTimersAtOrdinaryPriority(const QString& program, unsigned periodMs, std::size_t ticks, int rounds);

// The child's side: records and prints what the parent parses.
int runOrdinaryPriorityChild(unsigned periodMs, std::size_t ticks, int rounds);

// The timer service's event threads: how often each woke over `ticks` periods (its voluntary context
// switches), for each period given, all ticking at once. A period whose ticks did not all come is left out.
struct WakeupFigures {
    std::size_t ticks = 0;
    std::int64_t wakeups = 0;
};

std::map<unsigned, WakeupFigures> measureWakeups(const std::map<unsigned, std::size_t>& ticksByPeriodMs);

// How long timeKillEvent takes on an event of `periodMs`, called at random moments of its period.
LatencySummary measureKill(unsigned periodMs, int kills);

// The precision timer driving the window's real scroll step at 1 ms while the window
// repaints, beside a baseline thread.
struct ScrollFigures {
    TickFigures ticks;
    TickFigures baseline;
    double ticksPerS = 0;
    double framesPerS = 0;
    LatencySummary stepTime;    // from the wake to the end of the step, on the service's thread
    int maxPending = 0;         // queued, undelivered control updates seen after a step
    bool positionExact = false; // the view moved exactly once per tick
};

ScrollFigures measureScroll(TForm1& form, std::size_t ticks);

// Medians of one scroll step on the window's thread (repaint excluded) and of a row-wise
// memcpy of the same 800 x 356 pixels, interleaved.
struct StepCost {
    double stepNs = 0;
    double memcpyNs = 0;
};

StepCost measureStepCost(TForm1& form, std::size_t steps);

// Start-up of a probe process, from just before it was launched until its first frame was
// painted, and its peak RSS by then. Medians over the rounds.
struct StartupFigures {
    double ms = 0;
    double rssKiB = 0;
    std::vector<std::int64_t> roundNs; // each round's start-up, 0 where the probe failed
};

// Probes launched in rounds, each probe once a round, in the given working directories, so that a
// slow spell of the machine falls on all of them alike; every other round reverses their order, and a
// first round, which finds the programs' files out of the page cache, is left out.
struct StartupProbe {
    QString program;
    QStringList arguments;
    QString directory;
};

std::vector<StartupFigures> measureStartup(const std::vector<StartupProbe>& probes, int rounds);

// Share of one core the program used over `seconds` after its first frame, with the chosen
// timer ("stopped", "mm", "std") started at 10 ms; negative if the probe failed.
double measureIdleCpuPct(const QString& appProbe, const QString& directory, const QString& kind, int seconds);

// One program scrolling the picture on the X server while the driver watches, over the same
// span: the frames it painted, what a screen refreshing at its rate shows of them, and the CPU
// time it and the X server used.
struct PaintFigures {
    bool measured = false;
    double framesPerS = 0; // painted
    double refreshHz = 0;  // the screen's, as the program saw it
    double idealPx = 0;    // advance per refresh of a perfectly even scroll: refresh period / interval
    AdvanceSummary advance;
    std::vector<int> advances; // per refresh, in order, of the screen `advance` describes
    double cpuPct = 0;         // of one core
    double xserverCpuPct = 0;
};

// Runs `program` with `arguments` in `directory` on the X server of $DISPLAY, whose process is
// `xserverPid`, for `seconds` from when it says it started ticking at `intervalMs`, then tells it
// to stop. The program speaks as `scroll_app_probe paint` does.
PaintFigures measurePaint(const QString& program, const QStringList& arguments, const QString& directory,
                          qint64 xserverPid, unsigned intervalMs, int seconds);

// Of runs of one program, the one with the median CPU time, itself and the X server together; unmeasured
// runs are left out.
PaintFigures medianRun(std::vector<PaintFigures> runs);

} // namespace bench

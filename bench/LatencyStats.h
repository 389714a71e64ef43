#pragma once
// Pure arithmetic over recorded tick wake times: lateness, drift, lost ticks, percentiles, histograms.
// No clocks, no threads; callers own the data.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace bench {

// How a source picks its next deadline once a tick that was due at `previousNs` has ended
// at `endNs`.
using DeadlinePolicy = std::function<std::int64_t(std::int64_t previousNs, std::int64_t periodNs, std::int64_t endNs)>;

// The plain policy: every period, however late the last tick was, so a late source fires
// the ticks it owes in a burst.
std::int64_t everyPeriod(std::int64_t previousNs, std::int64_t periodNs, std::int64_t endNs);

// The timer service's own choice, for its ticks: the next period on the grid, or the first one
// still ahead after a tick that ended a whole period late.
std::int64_t serviceDeadline(std::int64_t previousNs, std::int64_t periodNs, std::int64_t endNs);

// Qt's for a precise timer: the next period, or a whole period from a tick that came too late for
// it, which leaves the grid. Qt decides when the tick fires, so `wakeNs` stands in for the end.
std::int64_t qtDeadline(std::int64_t previousNs, std::int64_t periodNs, std::int64_t wakeNs);

// Lateness of each wake against the deadline its source's policy gave it, starting from
// t0 + period: how precisely each tick woke, whatever the source did about earlier ones.
std::vector<std::int64_t> latenessNs(std::span<const std::int64_t> wakesNs, std::span<const std::int64_t> endsNs,
                                     std::int64_t t0Ns, std::int64_t periodNs, const DeadlinePolicy& next);

// Nearest-rank percentile of an ascending sample; q in [0, 1]. Empty gives 0.
std::int64_t percentile(std::span<const std::int64_t> sorted, double q);

// Nearest-rank median, the lower of the middle two; empty gives 0.
std::int64_t median(std::vector<std::int64_t> values);

// Median, the lower of the middle two, of the ratios numerators[i] / denominators[i] of pairs measured side by
// side, over the pairs where both are above 0 (a failed run counts 0); 0 if there are none.
double medianRatio(std::span<const std::int64_t> numerators, std::span<const std::int64_t> denominators);

struct LatencySummary {
    std::int64_t p50Ns = 0;
    std::int64_t p99Ns = 0;
    std::int64_t p999Ns = 0;
    std::int64_t maxNs = 0;
    std::size_t ticks = 0;
};

LatencySummary summarize(std::span<const std::int64_t> latenessNs);

struct Histogram {
    std::vector<std::int64_t> edgesNs;     // bucket i holds [edgesNs[i], edgesNs[i + 1])
    std::vector<std::uint64_t> counts;     // one fewer than the edges
    std::uint64_t underflow = 0;           // below the first edge
    std::uint64_t overflow = 0;            // at or above the last edge
    std::vector<std::size_t> outlierTicks; // first few tick numbers (from 1) that overflowed
};

// Edges from `firstNs` over `decades` powers of ten, `perDecade` buckets each, rounded to ns.
std::vector<std::int64_t> logEdges(std::int64_t firstNs, int decades, int perDecade);

// `edgesNs` ascending, at least two.
Histogram histogram(std::span<const std::int64_t> latenessNs, std::vector<std::int64_t> edgesNs,
                    std::size_t maxOutliers);

// How far the schedule slipped over the run: each wake's lateness against the ideal schedule t0 + k * period,
// every tick counting as the next period's, the median of the last `window` wakes against that of the first.
// A skipped tick or a schedule that slips shows here; a few late ticks at either end do not.
std::int64_t driftNs(std::span<const std::int64_t> wakesNs, std::int64_t periodNs, std::size_t window);

// Deadlines of the ideal schedule t0 + k * period that passed without a tick, counted up to the
// deadline the source set for its last tick, so a late last tick is not taken for a lost one.
std::size_t lostTicks(std::int64_t t0Ns, std::int64_t periodNs, std::int64_t lastDeadlineNs, std::size_t ticks);

// Left edge after `steps` scroll steps from `left` over a picture `width` wide
// with an 800-pixel view: one pixel per step, back to 0 after width - 800.
int scrollLeftAfter(int left, int width, std::uint64_t steps);

// How many left edges the scroll passes through before it is back where it began.
int scrollCycle(int width);

// A frame the window painted: when the paint ended, and the left edge of the view it showed.
struct PaintedFrame {
    std::int64_t paintedNs;
    int left;
};

// What a screen refreshing every `refreshNs` from `fromNs` to `toNs` shows of frames painted in
// that order: at each refresh the latest frame painted by then. Gives the pixels the view moved
// from each refresh to the next, on a scroll of `cycle` positions; refreshes before the first
// frame are left out.
std::vector<int> advancePerRefresh(std::span<const PaintedFrame> frames, std::int64_t fromNs, std::int64_t toNs,
                                   std::int64_t refreshNs, int cycle);

struct AdvanceSummary {
    double meanPx = 0;
    double sdPx = 0;         // population standard deviation
    double repeatShare = 0;  // refreshes that showed the previous one's picture again
};

AdvanceSummary summarizeAdvance(std::span<const int> advances);

} // namespace bench

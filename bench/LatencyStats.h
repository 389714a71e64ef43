#pragma once
// Pure arithmetic over recorded tick wake times: lateness against the ideal
// schedule, percentiles, histograms. No clocks, no threads; callers own the data.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bench {

// Lateness of the k-th wake (k from 1) against t0 + k * period, so a source
// that drifts or loses ticks shows it instead of being re-aligned each tick.
std::vector<std::int64_t> latenessNs(std::span<const std::int64_t> wakesNs, std::int64_t t0Ns,
                                     std::int64_t periodNs);

// Nearest-rank percentile of an ascending sample; q in [0, 1]. Empty gives 0.
std::int64_t percentile(std::span<const std::int64_t> sorted, double q);

struct LatencySummary {
  std::int64_t p50Ns = 0;
  std::int64_t p99Ns = 0;
  std::int64_t p999Ns = 0;
  std::int64_t maxNs = 0;
  std::int64_t driftNs = 0;  // last tick's lateness minus the first's
  std::size_t ticks = 0;
};

LatencySummary summarize(std::span<const std::int64_t> latenessNs);

struct Histogram {
  std::int64_t bucketWidthNs = 0;
  std::vector<std::uint64_t> counts;  // bucket i holds [i * width, (i + 1) * width)
  std::uint64_t underflow = 0;        // early wakes, which an absolute sleep should never give
  std::uint64_t overflow = 0;
  std::vector<std::size_t> outlierTicks;  // first few tick numbers (from 1) that overflowed
};

Histogram histogram(std::span<const std::int64_t> latenessNs, std::int64_t bucketWidthNs,
                    std::size_t buckets, std::size_t maxOutliers);

// Deadlines that passed without a wake: a service that skips late deadlines
// delivers fewer ticks than the schedule holds by the time of its last wake.
std::size_t lostTicks(std::int64_t t0Ns, std::int64_t periodNs, std::int64_t lastWakeNs,
                      std::size_t ticks);

// Left edge after `steps` scroll steps from `left` over a picture `width` wide
// with an 800-pixel view: one pixel per step, back to 0 after width - 800.
int scrollLeftAfter(int left, int width, std::uint64_t steps);

}  // namespace bench

#include "LatencyStats.h"

#include <algorithm>
#include <cmath>

namespace bench {

std::vector<std::int64_t> latenessNs(std::span<const std::int64_t> wakesNs, std::int64_t t0Ns,
                                     std::int64_t periodNs) {
  std::vector<std::int64_t> out;
  out.reserve(wakesNs.size());
  std::int64_t deadline = t0Ns;
  for (std::int64_t wake : wakesNs) {
    deadline += periodNs;
    out.push_back(wake - deadline);
  }
  return out;
}

std::int64_t percentile(std::span<const std::int64_t> sorted, double q) {
  if (sorted.empty()) return 0;
  const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

LatencySummary summarize(std::span<const std::int64_t> lateness) {
  LatencySummary s;
  s.ticks = lateness.size();
  if (lateness.empty()) return s;
  std::vector<std::int64_t> sorted(lateness.begin(), lateness.end());
  std::ranges::sort(sorted);
  s.p50Ns = percentile(sorted, 0.50);
  s.p99Ns = percentile(sorted, 0.99);
  s.p999Ns = percentile(sorted, 0.999);
  s.maxNs = sorted.back();
  s.driftNs = lateness.back() - lateness.front();
  return s;
}

Histogram histogram(std::span<const std::int64_t> lateness, std::int64_t bucketWidthNs,
                    std::size_t buckets, std::size_t maxOutliers) {
  Histogram h{bucketWidthNs, std::vector<std::uint64_t>(buckets, 0), 0, 0, {}};
  for (std::size_t i = 0; i < lateness.size(); ++i) {
    if (lateness[i] < 0) {
      ++h.underflow;
      continue;
    }
    const auto bucket = static_cast<std::size_t>(lateness[i] / bucketWidthNs);
    if (bucket < buckets) {
      ++h.counts[bucket];
      continue;
    }
    ++h.overflow;
    if (h.outlierTicks.size() < maxOutliers) h.outlierTicks.push_back(i + 1);
  }
  return h;
}

std::size_t lostTicks(std::int64_t t0Ns, std::int64_t periodNs, std::int64_t lastWakeNs,
                      std::size_t ticks) {
  if (lastWakeNs <= t0Ns) return 0;
  const auto due = static_cast<std::size_t>((lastWakeNs - t0Ns) / periodNs);
  return due > ticks ? due - ticks : 0;
}

int scrollLeftAfter(int left, int width, std::uint64_t steps) {
  if (width <= 800) return 0;
  const auto cycle = static_cast<std::uint64_t>(width - 799);
  return static_cast<int>((static_cast<std::uint64_t>(left) + steps) % cycle);
}

}  // namespace bench

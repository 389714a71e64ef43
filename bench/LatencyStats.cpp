#include "LatencyStats.h"

#include "TimerService.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace bench {

std::int64_t everyPeriod(std::int64_t previousNs, std::int64_t periodNs, std::int64_t /*endNs*/)
{
    return previousNs + periodNs;
}

std::int64_t serviceDeadline(std::int64_t previousNs, std::int64_t periodNs, std::int64_t endNs)
{
    using std::chrono::nanoseconds;
    return NextDeadline(nanoseconds(previousNs), nanoseconds(periodNs), nanoseconds(endNs)).count();
}

std::int64_t qtDeadline(std::int64_t previousNs, std::int64_t periodNs, std::int64_t wakeNs)
{
    const std::int64_t next = previousNs + periodNs;
    return next < wakeNs ? wakeNs + periodNs : next;
}

std::vector<std::int64_t> latenessNs(std::span<const std::int64_t> wakesNs, std::span<const std::int64_t> endsNs,
                                     std::int64_t t0Ns, std::int64_t periodNs, const DeadlinePolicy& next)
{
    std::vector<std::int64_t> out;
    out.reserve(wakesNs.size());
    std::int64_t deadline = t0Ns + periodNs;
    for (std::size_t i = 0; i < wakesNs.size(); ++i) {
        out.push_back(wakesNs[i] - deadline);
        if (i < endsNs.size())
            deadline = next(deadline, periodNs, endsNs[i]);
    }
    return out;
}

std::int64_t percentile(std::span<const std::int64_t> sorted, double q)
{
    if (sorted.empty())
        return 0;
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

std::int64_t median(std::vector<std::int64_t> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() - 1) / 2;
    std::ranges::nth_element(values, middle);
    return *middle;
}

double medianRatio(std::span<const std::int64_t> numerators, std::span<const std::int64_t> denominators)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < std::min(numerators.size(), denominators.size()); ++i) {
        if (numerators[i] > 0 && denominators[i] > 0)
            ratios.push_back(static_cast<double>(numerators[i]) / static_cast<double>(denominators[i]));
    }
    if (ratios.empty())
        return 0;
    const auto middle = ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() - 1) / 2;
    std::ranges::nth_element(ratios, middle);
    return *middle;
}

LatencySummary summarize(std::span<const std::int64_t> lateness)
{
    LatencySummary s;
    s.ticks = lateness.size();
    if (lateness.empty())
        return s;
    std::vector<std::int64_t> sorted(lateness.begin(), lateness.end());
    std::ranges::sort(sorted);
    s.p50Ns = percentile(sorted, 0.50);
    s.p99Ns = percentile(sorted, 0.99);
    s.p999Ns = percentile(sorted, 0.999);
    s.maxNs = sorted.back();
    return s;
}

std::vector<std::int64_t> logEdges(std::int64_t firstNs, int decades, int perDecade)
{
    std::vector<std::int64_t> edges;
    for (int i = 0; i <= decades * perDecade; ++i)
        edges.push_back(
            std::llround(static_cast<double>(firstNs) * std::pow(10.0, static_cast<double>(i) / perDecade)));
    return edges;
}

Histogram histogram(std::span<const std::int64_t> lateness, std::vector<std::int64_t> edgesNs, std::size_t maxOutliers)
{
    Histogram h;
    h.counts.assign(edgesNs.size() - 1, 0);
    h.edgesNs = std::move(edgesNs);
    for (std::size_t i = 0; i < lateness.size(); ++i) {
        const auto above = std::ranges::upper_bound(h.edgesNs, lateness[i]);
        if (above == h.edgesNs.begin()) {
            ++h.underflow;
        } else if (above == h.edgesNs.end()) {
            ++h.overflow;
            if (h.outlierTicks.size() < maxOutliers)
                h.outlierTicks.push_back(i + 1);
        } else {
            ++h.counts[static_cast<std::size_t>(above - h.edgesNs.begin()) - 1];
        }
    }
    return h;
}

std::int64_t driftNs(std::span<const std::int64_t> wakesNs, std::int64_t periodNs, std::size_t window)
{
    // Against any origin: t0 drops out of the difference. Only the two windows are compared, so only they
    // are worked out.
    const std::size_t n = std::min(window, wakesNs.size());
    const auto windowMedian = [&](std::size_t first) {
        std::vector<std::int64_t> lateness(n);
        for (std::size_t k = 0; k < n; ++k)
            lateness[k] = wakesNs[first + k] - static_cast<std::int64_t>(first + k) * periodNs;
        return median(std::move(lateness));
    };
    return windowMedian(wakesNs.size() - n) - windowMedian(0);
}

std::size_t lostTicks(std::int64_t t0Ns, std::int64_t periodNs, std::int64_t lastDeadlineNs, std::size_t ticks)
{
    if (lastDeadlineNs <= t0Ns)
        return 0;
    const auto due = static_cast<std::size_t>((lastDeadlineNs - t0Ns) / periodNs);
    return due > ticks ? due - ticks : 0;
}

int scrollLeftAfter(int left, int width, std::uint64_t steps)
{
    const auto cycle = static_cast<std::uint64_t>(scrollCycle(width));
    return static_cast<int>((static_cast<std::uint64_t>(left) + steps) % cycle);
}

int scrollCycle(int width)
{
    return width > 800 ? width - 799 : 1;
}

std::vector<int> advancePerRefresh(std::span<const PaintedFrame> frames, std::int64_t fromNs, std::int64_t toNs,
                                   std::int64_t refreshNs, int cycle)
{
    std::vector<int> advances;
    std::size_t shown = 0; // frames painted by the current refresh
    int previous = -1;
    for (std::int64_t t = fromNs; t <= toNs; t += refreshNs) {
        while (shown < frames.size() && frames[shown].paintedNs <= t)
            ++shown;
        if (shown == 0)
            continue;
        const int left = frames[shown - 1].left;
        if (previous >= 0)
            advances.push_back(((left - previous) % cycle + cycle) % cycle);
        previous = left;
    }
    return advances;
}

AdvanceSummary summarizeAdvance(std::span<const int> advances)
{
    AdvanceSummary s;
    if (advances.empty())
        return s;
    const auto n = static_cast<double>(advances.size());
    s.meanPx = std::reduce(advances.begin(), advances.end(), 0.0) / n;
    const auto squaredDeviation = [&s](int a) { return (a - s.meanPx) * (a - s.meanPx); };
    s.sdPx =
        std::sqrt(std::transform_reduce(advances.begin(), advances.end(), 0.0, std::plus<>(), squaredDeviation) / n);
    s.repeatShare = static_cast<double>(std::ranges::count(advances, 0)) / n;
    return s;
}

} // namespace bench

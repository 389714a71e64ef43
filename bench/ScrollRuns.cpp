#include "BaselineTicker.h"
#include "Measure.h"
#include "PaintWatch.h"
#include "TCoalescedUpdate.h"
#include "TickLog.h"
#include "TickLoop.h"
#include "TimerService.h"
#include "Unit1.h"

#include <QCoreApplication>
#include <QImage>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

namespace bench {

namespace {

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 356;

// Keeps the compiler from dropping a copy nobody reads.
void keep(const void* p)
{
    asm volatile("" : : "r"(p) : "memory");
}

} // namespace

ScrollFigures measureScroll(TForm1& form, std::size_t ticks)
{
    constexpr unsigned periodMs = 1;
    constexpr std::int64_t period = 1'000'000;
    TickLoop loop(2);
    TickLog log(ticks, loop.done());
    TickLog ends(ticks, nullptr);
    TickLog baseLog(ticks, loop.done());
    std::atomic<int> maxPending{0};
    std::uint64_t frames = 0;
    auto* frameCounter = new PaintWatch(form.Image1, [&frames](std::int64_t) { ++frames; });

    const int width = form.Background->Width();
    const int leftBefore = form.SourceRect.Left;
    form.MMTimer->SetInterval(periodMs);
    // Exactly `ticks` steps: the wake is logged first and the step skipped once the log is full.
    form.MMTimer->SetOnTimer([&] {
        if (!log.record(monotonicNs()))
            return;
        form.ScrollStep();
        maxPending.store(std::max(maxPending.load(std::memory_order_relaxed), TCoalescedUpdate::Queued()),
                         std::memory_order_relaxed);
        ends.record(monotonicNs());
    });

    // Started as in recordTimers' first round: a whole period to each first deadline, half a period apart.
    const std::int64_t baseT0 = monotonicNs();
    BaselineTicker baseline(baseT0, period, baseLog);
    std::this_thread::sleep_for(std::chrono::nanoseconds(period / 2));
    form.MMTimer->SetEnabled(true);
    const std::int64_t t0 = timeLatestEventStart().count();  // the schedule's own start, as recordTimers takes it
    loop.run(std::chrono::milliseconds(3 * ticks * periodMs + 10'000));
    form.MMTimer->SetEnabled(false);
    form.MMTimer->SetOnTimer(std::bind_front(&TForm1::ScrollStep, &form));
    QCoreApplication::processEvents(); // the last frame
    delete frameCounter;

    ScrollFigures figures;
    const auto wakes = log.wakes();
    const TickRecord ticked{t0, {wakes.begin(), wakes.end()}, {ends.wakes().begin(), ends.wakes().end()},
                            log.realTime()};
    const TickRecord based{baseT0, {baseLog.wakes().begin(), baseLog.wakes().end()}, {}, baseLog.realTime()};
    figures.ticks = analyse({&ticked, 1}, period, serviceDeadline);
    figures.baseline = analyse({&based, 1}, period, everyPeriod);
    if (wakes.size() > 1) {
        const double seconds = double(wakes.back() - wakes.front()) / 1e9;
        figures.ticksPerS = double(wakes.size() - 1) / seconds;
        figures.framesPerS = double(frames) / seconds;
    }
    std::vector<std::int64_t> stepNs;
    for (std::size_t i = 0; i < std::min(wakes.size(), ends.size()); ++i)
        stepNs.push_back(ends.wakes()[i] - wakes[i]);
    figures.stepTime = summarize(stepNs);
    figures.maxPending = maxPending.load();
    figures.positionExact = form.SourceRect.Left == scrollLeftAfter(leftBefore, width, wakes.size());
    return figures;
}

StepCost measureStepCost(TForm1& form, std::size_t steps)
{
    const int width = form.Background->Width();
    QImage source(width, kViewHeight, QImage::Format_RGB32);
    source.fill(Qt::darkGreen); // resident, like the loaded picture
    QImage view(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const std::size_t rowBytes = std::size_t(kViewWidth) * 4;
    std::vector<std::int64_t> stepNs;
    std::vector<std::int64_t> copyNs;
    stepNs.reserve(steps);
    copyNs.reserve(steps);
    for (std::size_t i = 0; i < steps; ++i) {
        // Lets the previous step's repaint happen outside the timing, so every step pays for
        // posting its update rather than finding one already queued.
        QCoreApplication::processEvents();
        const std::int64_t s0 = monotonicNs();
        form.ScrollStep();
        const std::int64_t s1 = monotonicNs();
        const int left = form.SourceRect.Left;
        uchar* to = view.bits();
        const std::int64_t c0 = monotonicNs();
        for (int y = 0; y < kViewHeight; ++y)
            std::memcpy(to + y * view.bytesPerLine(), source.constScanLine(y) + left * 4, rowBytes);
        keep(to);
        const std::int64_t c1 = monotonicNs();
        stepNs.push_back(s1 - s0);
        copyNs.push_back(c1 - c0);
    }
    return {double(median(std::move(stepNs))), double(median(std::move(copyNs)))};
}

} // namespace bench

#include "BaselineTicker.h"
#include "Measure.h"
#include "RoundStarts.h"
#include "TMMTimer.h"
#include "TTimer.h"
#include "TickLog.h"
#include "TickLoop.h"

#include "TimerService.h"
#include "WakeupCount.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <future>
#include <limits>
#include <optional>
#include <random>
#include <thread>
#include <utility>

namespace bench {

TickFigures analyse(std::span<const TickRecord> rounds, std::int64_t periodNs, const DeadlinePolicy& next)
{
    TickFigures figures;
    for (const TickRecord& round : rounds) {
        const auto& ends = round.endsNs.empty() ? round.wakesNs : round.endsNs;
        const std::vector<std::int64_t> lateness = latenessNs(round.wakesNs, ends, round.t0Ns, periodNs, next);
        figures.latenessNs.insert(figures.latenessNs.end(), lateness.begin(), lateness.end());
        const std::int64_t drift = driftNs(round.wakesNs, periodNs, kDriftWindow);
        if (std::abs(drift) > std::abs(figures.driftNs))
            figures.driftNs = drift;
        if (!lateness.empty())
            figures.lost += lostTicks(round.t0Ns, periodNs, round.wakesNs.back() - lateness.back(), lateness.size());
        figures.realTime = figures.realTime || round.realTime;
    }
    figures.summary = summarize(figures.latenessNs);
    figures.histogram =
        histogram(figures.latenessNs, {std::numeric_limits<std::int64_t>::min(), kOutlierNs}, kOutliersKept);
    return figures;
}

namespace {

void sleepUntil(std::int64_t ns)
{
    std::this_thread::sleep_for(std::chrono::nanoseconds(ns - monotonicNs()));
}

// One round of recordTimers.
std::map<QString, TickRecord> recordRound(unsigned periodMs, std::size_t ticks, int round, bool withStandardTimer)
{
    const std::int64_t period = std::int64_t(periodMs) * 1'000'000;
    TickLoop loop(withStandardTimer ? 3 : 2);
    TickLog mmLog(ticks, loop.done());
    TickLog baseLog(ticks, loop.done());
    TickLog stdLog(withStandardTimer ? ticks : 0, loop.done());

    TMMTimer mm;
    mm.SetResolution(1);
    mm.SetInterval(periodMs);
    mm.SetOnTimer([&mmLog] { mmLog.record(monotonicNs()); });
    TTimer standard;
    standard.SetEnabled(false);
    standard.SetInterval(periodMs);
    standard.OnTimer = [&stdLog](TObject*) { stdLog.record(monotonicNs()); };
    std::optional<BaselineTicker> baseline;

    // Each t0 is where its source's schedule starts: the baseline's is given to it, the precision timer's is
    // the service's own. Its set-up before the service reads the clock (the registry's entry, an allocation,
    // a few microseconds with cold caches) would otherwise shift the whole schedule, and count as lateness of
    // every tick. Each source has a whole period from its start to its first deadline.
    std::int64_t mmT0 = 0;
    std::int64_t baseT0 = 0;
    std::int64_t stdT0 = 0;
    const RoundStarts at = roundStarts(round);
    std::vector<std::pair<double, std::function<void()>>> starts{
        {at.baseline, [&] { baseline.emplace(baseT0 = monotonicNs(), period, baseLog); }},
        {at.precision, [&] {
             mm.SetEnabled(true);
             mmT0 = timeLatestEventStart().count();
         }}};
    if (withStandardTimer) {
        starts.emplace_back(at.standard, [&] {
            stdT0 = monotonicNs();
            standard.SetEnabled(true);
        });
    }
    std::ranges::sort(starts, {}, [](const auto& start) { return start.first; });
    const std::int64_t origin = monotonicNs();
    for (const auto& [phase, start] : starts) {
        sleepUntil(origin + std::llround(phase * double(period)));
        start();
    }
    loop.run(std::chrono::milliseconds(3 * ticks * periodMs + 10'000));
    mm.SetEnabled(false);
    standard.SetEnabled(false);
    baseline.reset();

    const auto record = [](std::int64_t t0, const TickLog& log) {
        return TickRecord{t0, {log.wakes().begin(), log.wakes().end()}, {}, log.realTime()};
    };
    std::map<QString, TickRecord> records;
    records[QStringLiteral("mmtimer")] = record(mmT0, mmLog);
    records[QStringLiteral("baseline")] = record(baseT0, baseLog);
    if (withStandardTimer)
        records[QStringLiteral("stdtimer")] = record(stdT0, stdLog);
    return records;
}

} // namespace

TimerRounds recordTimers(unsigned periodMs, std::size_t ticks, int rounds, bool withStandardTimer)
{
    TimerRounds records;
    for (int round = 0; round < rounds; ++round) {
        for (auto& [name, record] : recordRound(periodMs, ticks, round, withStandardTimer))
            records[name].push_back(std::move(record));
    }
    return records;
}

std::map<QString, TickFigures> analyseTimers(const TimerRounds& records, unsigned periodMs)
{
    const std::map<QString, DeadlinePolicy> policies{{QStringLiteral("mmtimer"), serviceDeadline},
                                                     {QStringLiteral("baseline"), everyPeriod},
                                                     {QStringLiteral("stdtimer"), qtDeadline}};
    std::map<QString, TickFigures> figures;
    for (const auto& [name, rounds] : records)
        figures[name] = analyse(rounds, std::int64_t(periodMs) * 1'000'000, policies.at(name));
    return figures;
}

namespace {

// One event of the timer service counting its thread's wake-ups over the ticks asked for.
struct WakeupRun {
    int ticksWanted = 0;
    TWakeupCount count;
    std::promise<void> done;

    static void tick(TimerEventId, std::uint32_t, std::uintptr_t user, std::uintptr_t, std::uintptr_t)
    {
        auto& run = *reinterpret_cast<WakeupRun*>(user);
        if (run.count.Ticks() > run.ticksWanted)
            return;
        run.count.Tick();
        if (run.count.Ticks() == run.ticksWanted + 1)
            run.done.set_value();
    }
};

} // namespace

std::map<unsigned, WakeupFigures> measureWakeups(const std::map<unsigned, std::size_t>& ticksByPeriodMs)
{
    std::map<unsigned, WakeupRun> runs;
    std::map<unsigned, TimerEventId> events;
    for (const auto& [periodMs, ticks] : ticksByPeriodMs) {
        WakeupRun& run = runs[periodMs];
        run.ticksWanted = int(ticks);
        events[periodMs] =
            timeSetEvent(periodMs, 1, &WakeupRun::tick, reinterpret_cast<std::uintptr_t>(&run), TIME_PERIODIC);
    }
    std::map<unsigned, WakeupFigures> figures;
    for (auto& [periodMs, run] : runs) {
        const auto limit = std::chrono::milliseconds(3 * (run.ticksWanted + 1) * periodMs + 10'000);
        const bool finished =
            events[periodMs] != 0 && run.done.get_future().wait_for(limit) == std::future_status::ready;
        timeKillEvent(events[periodMs]);
        if (finished)
            figures[periodMs] = {std::size_t(run.ticksWanted), run.count.Wakeups()};
    }
    return figures;
}

LatencySummary measureKill(unsigned periodMs, int kills)
{
    const auto nothing = [](TimerEventId, std::uint32_t, std::uintptr_t, std::uintptr_t, std::uintptr_t) {};
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::int64_t> moment(0, std::int64_t(periodMs) * 1'000'000 - 1);
    std::vector<std::int64_t> killNs;
    for (int kill = 0; kill < kills; ++kill) {
        const TimerEventId id = timeSetEvent(periodMs, 1, nothing, 0, TIME_PERIODIC);
        if (id == 0)
            continue;
        std::this_thread::sleep_for(std::chrono::nanoseconds(moment(random)));
        const std::int64_t start = monotonicNs();
        timeKillEvent(id);
        killNs.push_back(monotonicNs() - start);
    }
    return summarize(killNs);
}

} // namespace bench

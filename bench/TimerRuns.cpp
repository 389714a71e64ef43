#include "BaselineTicker.h"
#include "Measure.h"
#include "TMMTimer.h"
#include "TTimer.h"
#include "TickLog.h"
#include "TickLoop.h"

#include <chrono>
#include <thread>

namespace bench {

TickFigures analyse(std::span<const std::int64_t> wakesNs, std::span<const std::int64_t> endsNs, std::int64_t t0Ns,
                    std::int64_t periodNs, const DeadlinePolicy& next)
{
    TickFigures figures;
    figures.latenessNs = latenessNs(wakesNs, endsNs, t0Ns, periodNs, next);
    figures.summary = summarize(figures.latenessNs);
    figures.histogram = histogram(figures.latenessNs, linearEdges(10'000, kOutlierNs / 10'000), kOutliersKept);
    figures.driftNs = driftNs(wakesNs, periodNs);
    figures.lost =
        wakesNs.empty() ? 0 : lostTicks(t0Ns, periodNs, wakesNs.back() - figures.latenessNs.back(), wakesNs.size());
    return figures;
}

std::map<QString, TickRecord> recordTimers(unsigned periodMs, std::size_t ticks, bool withStandardTimer)
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

    // Each t0 is read just before its source starts, so a source's own set-up delay counts against it, and
    // each source has a whole period from its start to its first deadline. The starts are spread over the
    // period so that the sources do not wake together.
    const std::int64_t baseT0 = monotonicNs();
    BaselineTicker baseline(baseT0, period, baseLog);
    std::this_thread::sleep_for(std::chrono::nanoseconds(period / 2));
    const std::int64_t mmT0 = monotonicNs();
    mm.SetEnabled(true);
    std::int64_t stdT0 = 0;
    if (withStandardTimer) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(period / 4));
        stdT0 = monotonicNs();
        standard.SetEnabled(true);
    }
    loop.run(std::chrono::milliseconds(3 * ticks * periodMs + 10'000));
    mm.SetEnabled(false);
    standard.SetEnabled(false);

    const auto record = [](std::int64_t t0, const TickLog& log) {
        return TickRecord{t0, {log.wakes().begin(), log.wakes().end()}, log.realTime()};
    };
    std::map<QString, TickRecord> records;
    records[QStringLiteral("mmtimer")] = record(mmT0, mmLog);
    records[QStringLiteral("baseline")] = record(baseT0, baseLog);
    if (withStandardTimer)
        records[QStringLiteral("stdtimer")] = record(stdT0, stdLog);
    return records;
}

std::map<QString, TickFigures> analyseTimers(const std::map<QString, TickRecord>& records, unsigned periodMs)
{
    const std::map<QString, DeadlinePolicy> policies{{QStringLiteral("mmtimer"), serviceDeadline},
                                                     {QStringLiteral("baseline"), everyPeriod},
                                                     {QStringLiteral("stdtimer"), qtDeadline}};
    std::map<QString, TickFigures> figures;
    for (const auto& [name, record] : records) {
        // The handlers return within nanoseconds of their wake, which stands in for their end.
        TickFigures f = analyse(record.wakesNs, record.wakesNs, record.t0Ns, std::int64_t(periodMs) * 1'000'000,
                                policies.at(name));
        f.realTime = record.realTime;
        figures[name] = std::move(f);
    }
    return figures;
}

std::map<QString, TickFigures> measureTimers(unsigned periodMs, std::size_t ticks, bool withStandardTimer)
{
    return analyseTimers(recordTimers(periodMs, ticks, withStandardTimer), periodMs);
}

} // namespace bench

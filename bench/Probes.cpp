// The probes: our program and the yardsticks run as processes of their own, reporting start-up, CPU use and
// the frames they painted.

#include "Measure.h"
#include "TickLog.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <thread>
#include <tuple>
#include <utility>

namespace bench {

namespace {

constexpr int kPhases = 8;

// Seconds of CPU time of process `pid` so far, all its threads; negative if gone. The scheduler's own
// count, in nanoseconds: the clock ticks of /proc/PID/stat are too coarse for a few per cent over seconds.
double cpuSeconds(qint64 pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (threads.isEmpty())
        return -1;
    double seconds = 0;
    for (const QString& thread : threads) {
        QFile schedstat(tasks.filePath(thread + QStringLiteral("/schedstat")));
        if (schedstat.open(QIODevice::ReadOnly))
            seconds += double(schedstat.readAll().split(' ').value(0).toLongLong()) / 1e9;
    }
    return seconds;
}

// Qt's chatter on a probe's standard error is shown only when the probe failed.
void fail(QProcess& process, const char* what)
{
    std::fprintf(stderr, "scrollbench: %s %s in %s %s:\n%s\n", qUtf8Printable(process.program()),
                 qUtf8Printable(process.arguments().join(' ')), qUtf8Printable(process.workingDirectory()), what,
                 process.readAllStandardError().constData());
    process.kill();
    process.waitForFinished();
}

struct ProbeRun {
    std::int64_t launchedNs = 0;
    QJsonObject fields; // of its report line; empty on failure
};

ProbeRun runProbe(const QString& program, const QStringList& arguments, const QString& directory, int timeoutMs)
{
    ProbeRun run;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(directory);
    run.launchedNs = monotonicNs();
    process.start();
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(process, "failed");
    else
        run.fields = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    return run;
}

} // namespace

PaintFigures measurePaint(const QString& program, const QStringList& arguments, const QString& directory,
                          qint64 xserverPid, unsigned intervalMs, int seconds)
{
    PaintFigures figures;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(directory);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    process.start();
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(30'000)) {
            fail(process, "did not start ticking");
            return figures;
        }
    }
    const QJsonObject started = QJsonDocument::fromJson(process.readLine()).object();
    const double refreshHz = started.value(QStringLiteral("refresh_mhz")).toDouble() / 1000;
    const int width = started.value(QStringLiteral("width")).toInt();
    if (refreshHz <= 0 || width <= 0) {
        fail(process, "said nothing sensible at its start");
        return figures;
    }

    const std::int64_t from = monotonicNs();
    const double cpu0 = cpuSeconds(process.processId());
    const double x0 = cpuSeconds(xserverPid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const std::int64_t to = monotonicNs();
    const double cpu1 = cpuSeconds(process.processId());
    const double x1 = cpuSeconds(xserverPid);
    process.closeWriteChannel();
    if (!process.waitForFinished(30'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        fail(process, "did not stop cleanly");
        return figures;
    }
    if (x0 < 0 || x1 < 0) {
        fail(process, "ran, but the X server's CPU time was unreadable");
        return figures;
    }

    std::vector<PaintedFrame> frames;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> pair = line.split(' ');
        if (pair.size() == 2)
            frames.push_back({pair[0].toLongLong(), pair[1].toInt()});
    }
    if (std::ranges::any_of(frames, [](const PaintedFrame& f) { return f.left < 0; })) {
        std::fprintf(stderr, "scrollbench: %s %s painted something other than a view of BG.bmp\n",
                     qUtf8Printable(program), qUtf8Printable(arguments.join(' ')));
        return figures;
    }
    const double wall = double(to - from) / 1e9;
    figures.measured = true;
    const auto inSpan = [&](const PaintedFrame& f) { return f.paintedNs > from && f.paintedNs <= to; };
    figures.framesPerS = double(std::ranges::count_if(frames, inSpan)) / wall;
    figures.refreshHz = refreshHz;
    figures.idealPx = 1000.0 / refreshHz / intervalMs;
    // Xvfb has no refresh for a program to pace itself by, so a screen's refresh could fall anywhere
    // against the frames, and one falling where a program's frames jitter around sees many repeats a
    // synchronised screen would not. Of screens refreshing at evenly spread phases, the one with the
    // median share of repeats speaks for all: one chance alignment does not decide it.
    const std::int64_t refreshNs = std::llround(1e9 / refreshHz);
    const int cycle = scrollCycle(width);
    std::vector<std::pair<AdvanceSummary, std::vector<int>>> phases;
    for (int phase = 0; phase < kPhases; ++phase) {
        auto advances = advancePerRefresh(frames, from + phase * refreshNs / kPhases, to, refreshNs, cycle);
        phases.emplace_back(summarizeAdvance(advances), std::move(advances));
    }
    std::ranges::sort(phases, {}, [](const auto& phase) { return phase.first.repeatShare; });
    std::tie(figures.advance, figures.advances) = std::move(phases[(kPhases - 1) / 2]);
    figures.cpuPct = 100 * (cpu1 - cpu0) / wall;
    figures.xserverCpuPct = 100 * (x1 - x0) / wall;
    return figures;
}

PaintFigures medianRun(std::vector<PaintFigures> runs)
{
    std::erase_if(runs, [](const PaintFigures& f) { return !f.measured; });
    if (runs.empty())
        return {};
    std::ranges::sort(runs, {}, [](const PaintFigures& f) { return f.cpuPct + f.xserverCpuPct; });
    return std::move(runs[(runs.size() - 1) / 2]);
}

std::vector<StartupFigures> measureStartup(const std::vector<StartupProbe>& probes, int rounds)
{
    std::vector<StartupFigures> figures(probes.size());
    std::vector<std::vector<std::int64_t>> rss(probes.size());
    for (int round = -1; round < rounds; ++round) {
        for (std::size_t turn = 0; turn < probes.size(); ++turn) {
            const std::size_t i = round % 2 == 0 ? turn : probes.size() - 1 - turn;
            const ProbeRun probe = runProbe(probes[i].program, probes[i].arguments, probes[i].directory, 30'000);
            if (round < 0)
                continue;
            const bool ran = probe.fields.contains(QStringLiteral("first_paint_ns"));
            figures[i].roundNs.push_back(
                ran ? probe.fields.value(QStringLiteral("first_paint_ns")).toInteger() - probe.launchedNs : 0);
            if (ran)
                rss[i].push_back(probe.fields.value(QStringLiteral("rss_kib")).toInteger());
        }
    }
    for (std::size_t i = 0; i < probes.size(); ++i) {
        std::vector<std::int64_t> ran;
        std::ranges::copy_if(figures[i].roundNs, std::back_inserter(ran), [](std::int64_t ns) { return ns > 0; });
        figures[i].ms = double(median(std::move(ran))) / 1e6;
        figures[i].rssKiB = double(median(std::move(rss[i])));
    }
    return figures;
}

double measureIdleCpuPct(const QString& appProbe, const QString& directory, const QString& kind, int seconds)
{
    const ProbeRun probe = runProbe(appProbe, {QStringLiteral("idle"), kind, QString::number(seconds)}, directory,
                                    seconds * 1000 + 30'000);
    const std::int64_t wall = probe.fields.value(QStringLiteral("wall_ns")).toInteger();
    if (wall <= 0)
        return -1;
    return 100.0 * double(probe.fields.value(QStringLiteral("cpu_ns")).toInteger()) / double(wall);
}


} // namespace bench

#include "Measure.h"
#include "TickLog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstdio>

namespace bench {

namespace {

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
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        // Qt's chatter on a probe's stderr is shown only when the probe failed.
        std::fprintf(stderr, "scrollbench: %s %s failed in %s:\n%s\n", qUtf8Printable(program),
                     qUtf8Printable(arguments.join(' ')), qUtf8Printable(directory),
                     process.readAllStandardError().constData());
        return run;
    }
    run.fields = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    return run;
}

} // namespace

std::vector<StartupFigures> measureStartup(const std::vector<StartupProbe>& probes, int runs)
{
    std::vector<std::vector<std::int64_t>> ns(probes.size());
    std::vector<std::vector<std::int64_t>> rss(probes.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < probes.size(); ++i) {
            const ProbeRun probe = runProbe(probes[i].program, probes[i].arguments, probes[i].directory, 30'000);
            if (!probe.fields.contains(QStringLiteral("first_paint_ns")))
                continue;
            ns[i].push_back(probe.fields.value(QStringLiteral("first_paint_ns")).toInteger() - probe.launchedNs);
            rss[i].push_back(probe.fields.value(QStringLiteral("rss_kib")).toInteger());
        }
    }
    std::vector<StartupFigures> figures;
    for (std::size_t i = 0; i < probes.size(); ++i)
        figures.push_back({double(median(ns[i])) / 1e6, double(median(rss[i])), int(ns[i].size())});
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

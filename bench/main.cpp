// Benchmark driver: measures the timers, the scroll step, start-up and idle cost in one run,
// prints a table and writes results.json and a lateness plot.
//   scrollbench [--quick] DIR    DIR holds the sample BG.bmp; results are written there

#include "LatencyPlot.h"
#include "Measure.h"
#include "TApplication.h"
#include "Unit1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

using bench::TickFigures;

// How much each measurement takes; --quick trades precision for a run well under a minute.
struct Plan {
    std::size_t ticks1ms;
    std::size_t ticks10ms;
    std::size_t scrollTicks;
    std::size_t steps;
    int startupRuns;
    int idleSeconds;
};

constexpr Plan kFull{10'000, 6'000, 10'000, 5'000, 10, 5};
constexpr Plan kQuick{2'000, 500, 2'000, 2'000, 3, 2};

constexpr int kWideWidth = 20'000;

double us(std::int64_t ns)
{
    return double(ns) / 1000.0;
}

double ratio(double value, double base)
{
    return base > 0 ? value / base : INFINITY;
}

QJsonObject tickJson(const TickFigures& f)
{
    QJsonArray outliers;
    for (std::size_t tick : f.histogram.outlierTicks)
        outliers.append(qint64(tick));
    return {{"p50_us", us(f.summary.p50Ns)},   {"p99_us", us(f.summary.p99Ns)},
            {"p999_us", us(f.summary.p999Ns)}, {"max_us", us(f.summary.maxNs)},
            {"drift_us", us(f.driftNs)},       {"ticks", qint64(f.summary.ticks)},
            {"lost_ticks", qint64(f.lost)},    {"over_1ms", qint64(f.histogram.overflow)},
            {"outlier_ticks", outliers}};
}

void printTickRow(const char* label, const TickFigures& f, const TickFigures* base)
{
    const auto& s = f.summary;
    std::printf("  %-26s %6zu %8.1f %8.1f %8.1f %9.1f %8.1f %5zu", label, s.ticks, us(s.p50Ns), us(s.p99Ns),
                us(s.p999Ns), us(s.maxNs), us(f.driftNs), f.lost);
    if (base)
        std::printf("   %5.2f / %5.2f", ratio(s.p50Ns, base->summary.p50Ns), ratio(s.p99Ns, base->summary.p99Ns));
    std::printf("\n");
    if (!f.histogram.outlierTicks.empty()) {
        std::printf("  %-26s %llu ticks over 1 ms late, first at tick", "", (unsigned long long)f.histogram.overflow);
        for (std::size_t tick : f.histogram.outlierTicks)
            std::printf(" %zu", tick);
        std::printf("\n");
    }
}

// A figure against its limit, both in the figure's unit.
struct Target {
    QString name;
    double value;
    double limit;
    bool met;
};

Target atMost(const QString& name, double value, double limit)
{
    return {name, value, limit, value <= limit};
}

// A sample picture of width `width`, tiled from the sample, for the large-bitmap start-up.
bool writeWideBitmap(const QString& from, const QString& to, int width)
{
    const QImage sample(from);
    if (sample.isNull())
        return false;
    QImage wide(width, sample.height(), QImage::Format_RGB32);
    QPainter painter(&wide);
    painter.drawTiledPixmap(wide.rect(), QPixmap::fromImage(sample));
    painter.end();
    return QDir().mkpath(QFileInfo(to).path()) && wide.save(to, "BMP");
}

} // namespace

int main(int argc, char* argv[])
{
    const bool quick = argc == 3 && std::strcmp(argv[1], "--quick") == 0;
    if (argc != 2 && !quick) {
        std::fprintf(stderr, "usage: scrollbench [--quick] DIR\n");
        return 2;
    }
    const Plan plan = quick ? kQuick : kFull;
    const QString dir = QDir(QString::fromLocal8Bit(argv[argc - 1])).absolutePath();
    if (!QFile::exists(dir + QStringLiteral("/BG.bmp"))) {
        std::fprintf(stderr, "scrollbench: no BG.bmp in %s\n", qUtf8Printable(dir));
        return 2;
    }
    // Every figure is taken without a display, ours and the probes' alike.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    Application->Initialize();
    const QString binDir = QCoreApplication::applicationDirPath();
    const QString appProbe = binDir + QStringLiteral("/scroll_app_probe");
    const QString wideDir = dir + QStringLiteral("/wide");
    if (!writeWideBitmap(dir + QStringLiteral("/BG.bmp"), wideDir + QStringLiteral("/BG.bmp"), kWideWidth)) {
        std::fprintf(stderr, "scrollbench: cannot write %s/BG.bmp\n", qUtf8Printable(wideDir));
        return 1;
    }

    std::printf("scrollbench%s: measuring; the machine's noise falls on each figure and its baseline alike\n",
                quick ? " --quick" : "");
    std::fflush(stdout);
    auto at1 = bench::measureTimers(1, plan.ticks1ms, false);
    auto at10 = bench::measureTimers(10, plan.ticks10ms, true);

    QDir::setCurrent(dir); // the window loads BG.bmp from the current directory
    Application->CreateForm(Form1);
    Form1->show();
    QCoreApplication::processEvents();
    const std::int64_t bitmapBytes = std::int64_t(Form1->Background->Width()) * Form1->Background->Height() * 4;
    const bench::ScrollFigures scroll = bench::measureScroll(*Form1, plan.scrollTicks);
    const bench::StepCost step = bench::measureStepCost(*Form1, plan.steps);

    const auto startup = bench::measureStartup({{appProbe, {QStringLiteral("startup")}, dir},
                                                {binDir + QStringLiteral("/scroll_qt_minimal"), {}, dir},
                                                {appProbe, {QStringLiteral("startup")}, wideDir}},
                                               plan.startupRuns);
    const auto& [app, qtMin, wide] = std::tie(startup[0], startup[1], startup[2]);
    const double stoppedPct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("stopped"), plan.idleSeconds);
    const double mmPct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("mm"), plan.idleSeconds);
    const double stdPct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("std"), plan.idleSeconds);

    const TickFigures& mm1 = at1["mmtimer"];
    const TickFigures& base1 = at1["baseline"];
    const TickFigures& mm10 = at10["mmtimer"];
    const TickFigures& base10 = at10["baseline"];
    const TickFigures& std10 = at10["stdtimer"];

    std::printf("\nTick lateness (µs): wake time minus the deadline the source set for that tick. Drift: how far "
                "the last tick fell\nbehind the ideal schedule t0 + k·P relative to the first; lost: deadlines that "
                "passed without a tick. Last column:\nmedian / p99 as multiples of those of the baseline thread "
                "ticking beside it.\n");
    std::printf("  %-26s %6s %8s %8s %8s %9s %8s %5s   %s\n", "source", "ticks", "median", "p99", "p99.9", "worst",
                "drift", "lost", "vs baseline");
    printTickRow("precision timer, 1 ms", mm1, &base1);
    printTickRow("baseline thread, 1 ms", base1, nullptr);
    printTickRow("precision timer, 10 ms", mm10, &base10);
    printTickRow("baseline thread, 10 ms", base10, nullptr);
    printTickRow("standard timer, 10 ms", std10, &base10);
    printTickRow("scrolling, precision 1 ms", scroll.ticks, &scroll.baseline);
    printTickRow("baseline beside scrolling", scroll.baseline, nullptr);
    std::printf("\nScrolling at 1 ms: %.1f ticks/s, %.1f frames painted/s, at most %d updates pending, "
                "view moved once per tick: %s\n",
                scroll.ticksPerS, scroll.framesPerS, scroll.maxPending, scroll.positionExact ? "yes" : "NO");
    std::printf("Scroll step (median, ns): ScrollStep %.0f, row-wise memcpy of 800 x 356 pixels %.0f (%.2fx)\n",
                step.stepNs, step.memcpyNs, ratio(step.stepNs, step.memcpyNs));
    std::printf("Start-up to first frame (median of %d runs): ours %.1f ms, %.0f KiB peak RSS; minimal Qt window "
                "%.1f ms, %.0f KiB; ours with a %d-pixel-wide BG.bmp %.1f ms, %.0f KiB\n",
                plan.startupRuns, app.ms, app.rssKiB, qtMin.ms, qtMin.rssKiB, kWideWidth, wide.ms, wide.rssKiB);
    std::printf("CPU use over %d s (%% of one core): stopped %.3f, scrolling at 10 ms under the precision timer "
                "%.2f, under the standard timer %.2f\n",
                plan.idleSeconds, stoppedPct, mmPct, stdPct);

    const std::vector<Target> targets{
        atMost("precision median / baseline's, 1 ms", ratio(mm1.summary.p50Ns, base1.summary.p50Ns), 1.2),
        atMost("precision p99 / baseline's, 1 ms", ratio(mm1.summary.p99Ns, base1.summary.p99Ns), 1.5),
        atMost("precision median / baseline's, 10 ms", ratio(mm10.summary.p50Ns, base10.summary.p50Ns), 1.2),
        atMost("precision p99 / baseline's, 10 ms", ratio(mm10.summary.p99Ns, base10.summary.p99Ns), 1.5),
        atMost(QStringLiteral("precision |drift| after %1 ticks at 1 ms (µs)").arg(mm1.summary.ticks),
               std::abs(us(mm1.driftNs)), 1000),
        atMost("precision ticks lost at 1 ms", double(mm1.lost), 0),
        atMost("scrolling: ticks lost", double(scroll.ticks.lost), 0),
        atMost("scrolling: steps other than one per tick", scroll.positionExact ? 0 : 1, 0),
        atMost("scrolling: pending updates", scroll.maxPending, 2),
        atMost("scrolling p99 / baseline's, 1 ms", ratio(scroll.ticks.summary.p99Ns, scroll.baseline.summary.p99Ns), 2),
        atMost("ScrollStep / memcpy", ratio(step.stepNs, step.memcpyNs), 1.5),
        atMost("start-up / minimal Qt", ratio(app.ms, qtMin.ms), 1.5),
        atMost("peak RSS (KiB)", app.rssKiB, qtMin.rssKiB + 2.0 * double(bitmapBytes) / 1024 + 5 * 1024),
        {"stopped CPU (% of one core)", stoppedPct, 0.2, stoppedPct >= 0 && stoppedPct < 0.2},
    };
    std::printf("\nTargets\n");
    QJsonArray targetJson;
    for (const Target& t : targets) {
        std::printf("  %-48s %10.2f  limit %10.2f  %s\n", qUtf8Printable(t.name), t.value, t.limit,
                    t.met ? "met" : "MISSED");
        targetJson.append(QJsonObject{{"name", t.name}, {"value", t.value}, {"limit", t.limit}, {"met", t.met}});
    }

    QJsonObject scrollJson = tickJson(scroll.ticks);
    scrollJson.insert("ticks_per_s", scroll.ticksPerS);
    scrollJson.insert("frames_per_s", scroll.framesPerS);
    scrollJson.insert("max_pending", scroll.maxPending);
    scrollJson.insert("position_exact", scroll.positionExact);
    const QJsonObject results{
        {"quick", quick},
        {"mmtimer_1ms", tickJson(mm1)},
        {"baseline_1ms", tickJson(base1)},
        {"mmtimer_10ms", tickJson(mm10)},
        {"baseline_10ms", tickJson(base10)},
        {"stdtimer_10ms", tickJson(std10)},
        {"scroll_1ms", scrollJson},
        {"baseline_scroll_1ms", tickJson(scroll.baseline)},
        {"scrollstep", QJsonObject{{"step_ns_p50", step.stepNs}, {"memcpy_ns_p50", step.memcpyNs}}},
        {"startup", QJsonObject{{"app_ms", app.ms},
                                {"qt_min_ms", qtMin.ms},
                                {"app_rss_kib", app.rssKiB},
                                {"qt_min_rss_kib", qtMin.rssKiB},
                                {"bitmap_bytes", qint64(bitmapBytes)},
                                {"wide_app_ms", wide.ms},
                                {"wide_app_rss_kib", wide.rssKiB},
                                {"wide_bitmap_bytes", qint64(kWideWidth) * 356 * 4},
                                {"runs", plan.startupRuns}}},
        {"idle", QJsonObject{{"stopped_cpu_pct", stoppedPct},
                             {"mm10_cpu_pct", mmPct},
                             {"std10_cpu_pct", stdPct},
                             {"seconds", plan.idleSeconds}}},
        {"targets", targetJson},
    };
    QFile json(dir + QStringLiteral("/results.json"));
    if (!json.open(QIODevice::WriteOnly) || json.write(QJsonDocument(results).toJson()) < 0) {
        std::fprintf(stderr, "scrollbench: cannot write %s\n", qUtf8Printable(json.fileName()));
        return 1;
    }

    const QString plotPath = dir + QStringLiteral("/lateness-10ms.png");
    // 1 µs to 10 ms in ten buckets a decade: the sleeping threads and the event loop differ by
    // orders of magnitude, which fixed-width buckets cannot show side by side.
    const auto plotted = [](const QString& title, const TickFigures& f) {
        return bench::LatencyPanel{title, bench::histogram(f.latenessNs, bench::logEdges(1'000, 4, 10), 0), f.summary};
    };
    const QImage plot = bench::drawLatencyPanels(
        QStringLiteral("Tick lateness at a 10 ms period, the three sources ticking side by side"),
        {plotted(QStringLiteral("precision timer (TMMTimer)"), mm10),
         plotted(QStringLiteral("baseline (clock_nanosleep thread)"), base10),
         plotted(QStringLiteral("standard timer (TTimer)"), std10)});
    if (!plot.save(plotPath)) {
        std::fprintf(stderr, "scrollbench: cannot write %s\n", qUtf8Printable(plotPath));
        return 1;
    }
    std::printf("\nwrote %s and %s\n", qUtf8Printable(json.fileName()), qUtf8Printable(plotPath));
    return 0;
}

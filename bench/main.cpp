// Benchmark driver: measures the timers, the scroll step, start-up and idle cost in one run, prints a table and
// writes results.json and a lateness plot.
//   scrollbench [--quick] DIR    DIR holds the sample BG.bmp; the results are written there

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

constexpr Plan kFull{10'000, 10'000, 10'000, 5'000, 10, 5};
constexpr Plan kQuick{2'000, 500, 2'000, 2'000, 3, 2};

constexpr int kWideWidth = 20'000;

struct Results {
    TickFigures mm1, base1, mm10, base10, std10;
    bench::ScrollFigures scroll;
    bench::StepCost step;
    std::int64_t bitmapBytes = 0;
    bench::StartupFigures app, qtMin, wide;
    double stoppedPct = 0, mm10Pct = 0, std10Pct = 0;
};

// A figure against its limit, both in the figure's unit.
struct Target {
    QString name;
    double value;
    double limit;
    bool met;
};

double us(std::int64_t ns)
{
    return double(ns) / 1000.0;
}

double ratio(double value, double base)
{
    return base > 0 ? value / base : INFINITY;
}

Target atMost(const QString& name, double value, double limit)
{
    return {name, value, limit, value <= limit};
}

// The sample tiled to `width` pixels, for start-up with a large picture.
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

Results measureAll(const Plan& plan, const QString& dir, const QString& wideDir)
{
    Results r;
    auto at1 = bench::measureTimers(1, plan.ticks1ms, false);
    r.mm1 = at1["mmtimer"];
    r.base1 = at1["baseline"];
    auto at10 = bench::measureTimers(10, plan.ticks10ms, true);
    r.mm10 = at10["mmtimer"];
    r.base10 = at10["baseline"];
    r.std10 = at10["stdtimer"];

    QDir::setCurrent(dir); // the window loads BG.bmp from the current directory
    Application->CreateForm(Form1);
    Form1->show();
    QCoreApplication::processEvents();
    r.bitmapBytes = std::int64_t(Form1->Background->Width()) * Form1->Background->Height() * 4;
    r.scroll = bench::measureScroll(*Form1, plan.scrollTicks);
    r.step = bench::measureStepCost(*Form1, plan.steps);

    const QString bin = QCoreApplication::applicationDirPath();
    const QString appProbe = bin + QStringLiteral("/scroll_app_probe");
    const auto startup = bench::measureStartup({{appProbe, {QStringLiteral("startup")}, dir},
                                                {bin + QStringLiteral("/scroll_qt_minimal"), {}, dir},
                                                {appProbe, {QStringLiteral("startup")}, wideDir}},
                                               plan.startupRuns);
    r.app = startup[0];
    r.qtMin = startup[1];
    r.wide = startup[2];
    r.stoppedPct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("stopped"), plan.idleSeconds);
    r.mm10Pct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("mm"), plan.idleSeconds);
    r.std10Pct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("std"), plan.idleSeconds);
    return r;
}

std::vector<Target> targets(const Results& r)
{
    const auto p50 = [](const TickFigures& f, const TickFigures& base) {
        return ratio(f.summary.p50Ns, base.summary.p50Ns);
    };
    const auto p99 = [](const TickFigures& f, const TickFigures& base) {
        return ratio(f.summary.p99Ns, base.summary.p99Ns);
    };
    return {
        atMost("precision median / baseline's, 1 ms", p50(r.mm1, r.base1), 1.2),
        atMost("precision p99 / baseline's, 1 ms", p99(r.mm1, r.base1), 1.5),
        atMost("precision median / baseline's, 10 ms", p50(r.mm10, r.base10), 1.2),
        atMost("precision p99 / baseline's, 10 ms", p99(r.mm10, r.base10), 1.5),
        atMost(QStringLiteral("precision |drift| after %1 ticks at 1 ms (µs)").arg(r.mm1.summary.ticks),
               std::abs(us(r.mm1.driftNs)), 1000),
        atMost("precision ticks lost at 1 ms", double(r.mm1.lost), 0),
        atMost("scrolling: ticks lost", double(r.scroll.ticks.lost), 0),
        atMost("scrolling: steps other than one per tick", r.scroll.positionExact ? 0 : 1, 0),
        atMost("scrolling: pending updates", r.scroll.maxPending, 2),
        atMost("scrolling p99 / baseline's, 1 ms", p99(r.scroll.ticks, r.scroll.baseline), 2),
        atMost("ScrollStep / memcpy", ratio(r.step.stepNs, r.step.memcpyNs), 1.5),
        atMost("start-up / minimal Qt", ratio(r.app.ms, r.qtMin.ms), 1.5),
        atMost("peak RSS (KiB)", r.app.rssKiB, r.qtMin.rssKiB + 2.0 * double(r.bitmapBytes) / 1024 + 5 * 1024),
        {"stopped CPU (% of one core)", r.stoppedPct, 0.2, r.stoppedPct >= 0 && r.stoppedPct < 0.2},
    };
}

void printTickRow(const char* label, const TickFigures& f, const TickFigures* base)
{
    const auto& s = f.summary;
    std::printf("  %-26s %6zu %8.1f %8.1f %8.1f %9.1f %8.1f %5zu", label, s.ticks, us(s.p50Ns), us(s.p99Ns),
                us(s.p999Ns), us(s.maxNs), us(f.driftNs), f.lost);
    if (base)
        std::printf("   %5.2f / %5.2f", ratio(s.p50Ns, base->summary.p50Ns), ratio(s.p99Ns, base->summary.p99Ns));
    std::printf("\n");
    if (f.histogram.overflow > 0) {
        std::printf("  %-26s %llu over 1 ms late, the first at tick", "", (unsigned long long)f.histogram.overflow);
        for (std::size_t tick : f.histogram.outlierTicks)
            std::printf(" %zu", tick);
        std::printf("\n");
    }
}

void printReport(const Results& r, const Plan& plan, const std::vector<Target>& targets)
{
    std::printf("\nTick lateness (µs): wake time minus the deadline the source set for that tick. Drift: how far the "
                "last tick fell\nbehind the ideal schedule t0 + k·P relative to the first; lost: deadlines that passed "
                "without a tick. Last column:\nmedian / p99 as multiples of those of the baseline thread ticking "
                "beside it.\n");
    std::printf("  %-26s %6s %8s %8s %8s %9s %8s %5s   %s\n", "source", "ticks", "median", "p99", "p99.9", "worst",
                "drift", "lost", "vs baseline");
    printTickRow("precision timer, 1 ms", r.mm1, &r.base1);
    printTickRow("baseline thread, 1 ms", r.base1, nullptr);
    printTickRow("precision timer, 10 ms", r.mm10, &r.base10);
    printTickRow("baseline thread, 10 ms", r.base10, nullptr);
    printTickRow("standard timer, 10 ms", r.std10, &r.base10);
    printTickRow("scrolling, precision 1 ms", r.scroll.ticks, &r.scroll.baseline);
    printTickRow("baseline beside scrolling", r.scroll.baseline, nullptr);

    std::printf("\nScrolling at 1 ms: %.1f ticks/s, %.1f frames painted/s, at most %d updates pending, view moved "
                "once per tick: %s\n",
                r.scroll.ticksPerS, r.scroll.framesPerS, r.scroll.maxPending, r.scroll.positionExact ? "yes" : "NO");
    std::printf("  a tick's work on the service's thread (wake to the end of ScrollStep): median %.1f µs, p99 %.1f µs, "
                "worst %.1f µs\n",
                us(r.scroll.stepTime.p50Ns), us(r.scroll.stepTime.p99Ns), us(r.scroll.stepTime.maxNs));
    std::printf("Scroll step (median of %zu): ScrollStep %.1f µs, row-wise memcpy of its 800 x 356 pixels %.1f µs\n",
                plan.steps, r.step.stepNs / 1000, r.step.memcpyNs / 1000);
    std::printf("Start-up to the first frame (median of %d runs) and peak RSS:\n", plan.startupRuns);
    std::printf("  ours, 2400-pixel BG.bmp      %7.1f ms %8.0f KiB\n", r.app.ms, r.app.rssKiB);
    std::printf("  minimal Qt window            %7.1f ms %8.0f KiB\n", r.qtMin.ms, r.qtMin.rssKiB);
    std::printf("  ours, %d-pixel BG.bmp     %7.1f ms %8.0f KiB\n", kWideWidth, r.wide.ms, r.wide.rssKiB);
    std::printf("CPU use over %d s, %% of one core: stopped %.3f; scrolling at 10 ms under the precision timer %.2f, "
                "under the standard timer %.2f\n",
                plan.idleSeconds, r.stoppedPct, r.mm10Pct, r.std10Pct);

    std::printf("\nTargets\n");
    for (const Target& t : targets)
        std::printf("  %-48s %10.2f  limit %10.2f  %s\n", qUtf8Printable(t.name), t.value, t.limit,
                    t.met ? "met" : "MISSED");
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

QJsonObject resultsJson(const Results& r, const Plan& plan, bool quick, const std::vector<Target>& targets)
{
    QJsonObject scroll = tickJson(r.scroll.ticks);
    scroll.insert("ticks_per_s", r.scroll.ticksPerS);
    scroll.insert("frames_per_s", r.scroll.framesPerS);
    scroll.insert("max_pending", r.scroll.maxPending);
    scroll.insert("step_p50_us", us(r.scroll.stepTime.p50Ns));
    scroll.insert("step_p99_us", us(r.scroll.stepTime.p99Ns));
    scroll.insert("step_max_us", us(r.scroll.stepTime.maxNs));
    scroll.insert("position_exact", r.scroll.positionExact);
    QJsonArray targetList;
    for (const Target& t : targets)
        targetList.append(QJsonObject{{"name", t.name}, {"value", t.value}, {"limit", t.limit}, {"met", t.met}});
    return {
        {"quick", quick},
        {"mmtimer_1ms", tickJson(r.mm1)},
        {"baseline_1ms", tickJson(r.base1)},
        {"mmtimer_10ms", tickJson(r.mm10)},
        {"baseline_10ms", tickJson(r.base10)},
        {"stdtimer_10ms", tickJson(r.std10)},
        {"scroll_1ms", scroll},
        {"baseline_scroll_1ms", tickJson(r.scroll.baseline)},
        {"scrollstep", QJsonObject{{"step_ns_p50", r.step.stepNs},
                                   {"memcpy_ns_p50", r.step.memcpyNs},
                                   {"steps", qint64(plan.steps)}}},
        {"startup", QJsonObject{{"app_ms", r.app.ms},
                                {"qt_min_ms", r.qtMin.ms},
                                {"app_rss_kib", r.app.rssKiB},
                                {"qt_min_rss_kib", r.qtMin.rssKiB},
                                {"bitmap_bytes", qint64(r.bitmapBytes)},
                                {"wide_app_ms", r.wide.ms},
                                {"wide_app_rss_kib", r.wide.rssKiB},
                                {"wide_bitmap_bytes", qint64(kWideWidth) * 356 * 4},
                                {"runs", plan.startupRuns}}},
        {"idle", QJsonObject{{"stopped_cpu_pct", r.stoppedPct},
                             {"mm10_cpu_pct", r.mm10Pct},
                             {"std10_cpu_pct", r.std10Pct},
                             {"seconds", plan.idleSeconds}}},
        {"targets", targetList},
    };
}

QImage latencyPlot(const Results& r)
{
    // 1 µs to 10 ms in ten buckets a decade: the sleeping threads and the event loop differ by orders of
    // magnitude, which fixed-width buckets cannot show side by side.
    const auto panel = [](const QString& title, const TickFigures& f) {
        return bench::LatencyPanel{title, bench::histogram(f.latenessNs, bench::logEdges(1'000, 4, 10), 0), f.summary};
    };
    return bench::drawLatencyPanels(
        QStringLiteral("Tick lateness at a 10 ms period, the three sources ticking side by side"),
        {panel(QStringLiteral("precision timer (TMMTimer)"), r.mm10),
         panel(QStringLiteral("baseline (clock_nanosleep thread)"), r.base10),
         panel(QStringLiteral("standard timer (TTimer)"), r.std10)});
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
    const QString wideDir = dir + QStringLiteral("/wide");
    if (!QFile::exists(dir + QStringLiteral("/BG.bmp"))) {
        std::fprintf(stderr, "scrollbench: no BG.bmp in %s\n", qUtf8Printable(dir));
        return 2;
    }
    // Every figure is taken without a display, ours and the probes' alike.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    Application->Initialize();
    if (!writeWideBitmap(dir + QStringLiteral("/BG.bmp"), wideDir + QStringLiteral("/BG.bmp"), kWideWidth)) {
        std::fprintf(stderr, "scrollbench: cannot write %s/BG.bmp\n", qUtf8Printable(wideDir));
        return 1;
    }

    std::printf("scrollbench%s: measuring; every ratio is taken against a baseline measured in this run\n",
                quick ? " --quick" : "");
    std::fflush(stdout);
    const Results results = measureAll(plan, dir, wideDir);
    const std::vector<Target> goals = targets(results);
    printReport(results, plan, goals);

    QFile json(dir + QStringLiteral("/results.json"));
    if (!json.open(QIODevice::WriteOnly) ||
        json.write(QJsonDocument(resultsJson(results, plan, quick, goals)).toJson()) < 0) {
        std::fprintf(stderr, "scrollbench: cannot write %s\n", qUtf8Printable(json.fileName()));
        return 1;
    }
    const QString plotPath = dir + QStringLiteral("/lateness-10ms.png");
    if (!latencyPlot(results).save(plotPath)) {
        std::fprintf(stderr, "scrollbench: cannot write %s\n", qUtf8Printable(plotPath));
        return 1;
    }
    std::printf("\nwrote %s and %s\n", qUtf8Printable(json.fileName()), qUtf8Printable(plotPath));
    return 0;
}

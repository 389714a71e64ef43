#include "Report.h"

#include <QJsonArray>

#include <cmath>
#include <cstdio>
#include <string_view>
#include <tuple>

namespace bench {

namespace {

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

Target unjudgedIf(bool condition, Target target, const QString& why)
{
    if (condition)
        target.unjudged = why;
    return target;
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

void printPaintRow(const QString& label, const PaintFigures& f)
{
    if (!f.measured) {
        std::printf("  %-26s not measured\n", qUtf8Printable(label));
        return;
    }
    std::printf("  %-26s %8.1f %8.2f %8.2f %6.2f %8.1f %10.2f %10.2f\n", qUtf8Printable(label), f.framesPerS,
                f.idealPx, f.advance.meanPx, f.advance.sdPx, 100 * f.advance.repeatShare, f.cpuPct, f.xserverCpuPct);
}

void printPaint(const Results& r, const Plan& plan)
{
    std::printf("\nWhat the viewer sees, under Xvfb at %.0f Hz, over %d s of scrolling; of %d runs taking turns, "
                "each program's with the median\nCPU time. Advance: pixels per refresh on a screen showing the latest "
                "frame. CPU: %% of one core. Baseline: the least\nprogram that shows the same view and status line.\n",
                r.paintBaseline.at(16).refreshHz, plan.paintSeconds, plan.paintRounds);
    std::printf("  %-26s %8s %8s %8s %6s %8s %10s %10s\n", "program", "frames/s", "ideal px", "mean px", "sd px",
                "repeat %", "CPU prog %", "CPU X %");
    for (unsigned ms : kPaintIntervals) {
        printPaintRow(QStringLiteral("baseline, %1 ms").arg(ms), r.paintBaseline.at(ms));
        for (const auto& [timer, title] : kTimers)
            printPaintRow(QStringLiteral("%1, %2 ms").arg(title).arg(ms), r.paint.at(paintKey(timer, ms)));
    }
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
            {"outlier_ticks", outliers},       {"real_time", f.realTime}};
}

// The tick sources as the report lists them and results.json names them, each with the baseline it ticked beside.
struct TickRow {
    const char* key;
    const char* label;
    const TickFigures* figures;
    const TickFigures* base;
};

std::vector<TickRow> tickRows(const Results& r)
{
    return {{"mmtimer_1ms", "precision timer, 1 ms", &r.mm1, &r.base1},
            {"baseline_1ms", "baseline thread, 1 ms", &r.base1, nullptr},
            {"mmtimer_10ms", "precision timer, 10 ms", &r.mm10, &r.base10},
            {"baseline_10ms", "baseline thread, 10 ms", &r.base10, nullptr},
            {"stdtimer_10ms", "standard timer, 10 ms", &r.std10, &r.base10},
            {"mmtimer_16ms", "precision timer, 16 ms", &r.mm16, &r.base16},
            {"baseline_16ms", "baseline thread, 16 ms", &r.base16, nullptr},
            {"scroll_1ms", "scrolling, precision 1 ms", &r.scroll.ticks, &r.scroll.baseline},
            {"baseline_scroll_1ms", "baseline beside scrolling", &r.scroll.baseline, nullptr},
            {"mmtimer_1ms_user", "precision, 1 ms, ordinary", &r.mm1User, &r.base1User},
            {"baseline_1ms_user", "baseline, 1 ms, ordinary", &r.base1User, nullptr}};
}

QJsonObject paintJson(const Results& r, const Plan& plan)
{
    QJsonObject paint;
    for (unsigned ms : kPaintIntervals) {
        const PaintFigures& base = r.paintBaseline.at(ms);
        for (const auto& [timer, title] : kTimers) {
            const PaintFigures& f = r.paint.at(paintKey(timer, ms));
            if (!f.measured)
                continue;
            QJsonObject row{{"frames_per_s", f.framesPerS},
                            {"refresh_hz", f.refreshHz},
                            {"app_cpu_pct", f.cpuPct},
                            {"xserver_cpu_pct", f.xserverCpuPct},
                            {"advance_mean_px", f.advance.meanPx},
                            {"advance_sd_px", f.advance.sdPx},
                            {"repeat_share", f.advance.repeatShare},
                            {"ideal_px", f.idealPx},
                            {"seconds", plan.paintSeconds},
                            {"rounds", plan.paintRounds}};
            if (base.measured) {
                row.insert("baseline_cpu_pct", base.cpuPct);
                row.insert("baseline_xserver_cpu_pct", base.xserverCpuPct);
            }
            paint.insert(paintKey(timer, ms), row);
        }
    }
    return paint;
}

QJsonObject wakeupsJson(const Results& r)
{
    QJsonObject wakeups;
    for (const auto& [ms, w] : r.wakeups)
        wakeups.insert(QStringLiteral("%1ms").arg(ms), QJsonObject{{"ticks", qint64(w.ticks)}, {"wakeups", qint64(w.wakeups)}});
    return wakeups;
}

} // namespace

std::vector<Target> targets(const Results& r, bool quick)
{
    const auto p50 = [](const TickFigures& f, const TickFigures& base) {
        return ratio(f.summary.p50Ns, base.summary.p50Ns);
    };
    const auto p99 = [](const TickFigures& f, const TickFigures& base) {
        return ratio(f.summary.p99Ns, base.summary.p99Ns);
    };
    // A few thousand ticks leave the p99 to the machine's worst few stalls.
    const QString tooFew = QStringLiteral("not judged by --quick");
    std::vector<Target> list;
    for (const auto& [ms, mm, base] : {std::tuple{1, &r.mm1, &r.base1}, std::tuple{10, &r.mm10, &r.base10},
                                       std::tuple{16, &r.mm16, &r.base16}}) {
        list.push_back(atMost(QStringLiteral("precision median / baseline's, %1 ms").arg(ms), p50(*mm, *base), 1.1));
        list.push_back(unjudgedIf(
            quick, atMost(QStringLiteral("precision p99 / baseline's, %1 ms").arg(ms), p99(*mm, *base), 1.5), tooFew));
    }
    list.insert(list.end(), {
        atMost("precision |drift| at 1 ms, the round that slipped most (µs)", std::abs(us(r.mm1.driftNs)), 1000),
        atMost("precision ticks lost at 1 ms", double(r.mm1.lost), 0),
        atMost("scrolling: ticks lost", double(r.scroll.ticks.lost), 0),
        atMost("scrolling: steps other than one per tick", r.scroll.positionExact ? 0 : 1, 0),
        atMost("scrolling: pending updates", r.scroll.maxPending, 2),
        unjudgedIf(quick, atMost("scrolling p99 / baseline's, 1 ms", p99(r.scroll.ticks, r.scroll.baseline), 2),
                   tooFew),
        atMost("ScrollStep / memcpy", ratio(r.step.stepNs, r.step.memcpyNs), 1.5),
        atMost("start-up / the same window in plain Qt, paired", r.startupRatio, 1.15),
        atMost("peak RSS (KiB)", r.app.rssKiB, r.qtMin.rssKiB + 2.0 * double(r.bitmapBytes) / 1024 + 5 * 1024),
        {"stopped CPU (% of one core)", r.stoppedPct, 0.2, r.stoppedPct >= 0 && r.stoppedPct < 0.2},
    });
    for (unsigned ms : {1u, 1000u}) {
        const auto wakeups = r.wakeups.find(ms);
        const bool measured = wakeups != r.wakeups.end() && wakeups->second.ticks > 0;
        list.push_back(unjudgedIf(!measured,
                                  atMost(QStringLiteral("timer wake-ups per tick, %1 ms").arg(ms),
                                         measured ? double(wakeups->second.wakeups) / double(wakeups->second.ticks) : 0,
                                         1.05),
                                  QStringLiteral("not measured")));
    }
    list.push_back(atMost("timeKillEvent median at 1,000 ms (ms)", double(r.kill.p50Ns) / 1e6, 0.5));
    list.push_back({"timeKillEvent worst at 1,000 ms (ms)", double(r.kill.maxNs) / 1e6, 5,
                    r.kill.ticks > 0 && r.kill.maxNs < 5'000'000});

    const QString notMeasured = QStringLiteral("not measured");
    for (unsigned ms : kPaintIntervals) {
        for (const auto& [timer, title] : kTimers) {
            const PaintFigures& f = r.paint.at(paintKey(timer, ms));
            list.push_back(unjudgedIf(!f.measured,
                                      atMost(QStringLiteral("frames/s / refresh rate, %1, %2 ms").arg(title).arg(ms),
                                             ratio(f.framesPerS, f.refreshHz), 1.1),
                                      notMeasured));
        }
    }
    for (unsigned ms : kPaintIntervals) {
        const PaintFigures& base = r.paintBaseline.at(ms);
        for (const auto& [timer, title] : kTimers) {
            const PaintFigures& f = r.paint.at(paintKey(timer, ms));
            list.push_back(unjudgedIf(!f.measured || !base.measured,
                                      atMost(QStringLiteral("program+X CPU / baseline's, %1, %2 ms").arg(title).arg(ms),
                                             ratio(f.cpuPct + f.xserverCpuPct, base.cpuPct + base.xserverCpuPct),
                                             1.2),
                                      notMeasured));
        }
    }
    const PaintFigures& mm16 = r.paint.at(paintKey(QStringLiteral("mm"), 16));
    const double repeats = 100 * mm16.advance.repeatShare;
    list.push_back(unjudgedIf(!mm16.measured,
                              {"repeated refreshes, precision timer, 16 ms (%)", repeats, 5, repeats < 5},
                              notMeasured));
    list.push_back(unjudgedIf(r.mm1User.summary.ticks == 0 || r.mm1User.realTime || r.base1User.realTime,
                              atMost("ordinary priority: precision median / baseline's", p50(r.mm1User, r.base1User),
                                     1.2),
                              r.mm1User.summary.ticks == 0 ? notMeasured
                                                           : QStringLiteral("real-time priority not refused")));
    return list;
}

void printReport(const Results& r, const Plan& plan, const std::vector<Target>& targets)
{
    std::printf("\nTick lateness (µs): wake time minus the deadline the source set for that tick, over %d rounds "
                "whose ticks are pooled; each round\nstarts the sources anew, the baseline and the precision timer "
                "trading the start and the middle of the period. Drift: how far\nthe schedule slipped in the round "
                "that slipped most, the last ten ticks against the first on t0 + k·P; lost: deadlines passed\nwithout "
                "a tick. Last column: median / p99 against the baseline's.\n",
                plan.timerRounds);
    std::printf("  %-26s %6s %8s %8s %8s %9s %8s %5s   %s\n", "source", "ticks", "median", "p99", "p99.9", "worst",
                "drift", "lost", "vs baseline");
    for (const TickRow& row : tickRows(r))
        printTickRow(row.label, *row.figures, row.base);
    const auto rt = [](const TickFigures& f) { return f.realTime ? "real-time" : "ordinary"; };
    std::printf("  priorities taken: precision timer %s, baseline %s; in the run refused real-time (\"ordinary\"): "
                "precision timer %s, baseline %s\n",
                rt(r.mm1), rt(r.base1), rt(r.mm1User), rt(r.base1User));

    std::printf("\nScrolling at 1 ms: %.1f ticks/s, %.1f frames painted/s, at most %d updates pending, view moved "
                "once per tick: %s\n",
                r.scroll.ticksPerS, r.scroll.framesPerS, r.scroll.maxPending, r.scroll.positionExact ? "yes" : "NO");
    std::printf("  a tick's work on the service's thread (wake to the end of ScrollStep): median %.1f µs, p99 %.1f µs, "
                "worst %.1f µs\n",
                us(r.scroll.stepTime.p50Ns), us(r.scroll.stepTime.p99Ns), us(r.scroll.stepTime.maxNs));
    std::printf("Scroll step (median of %zu): ScrollStep %.1f µs, row-wise memcpy of its 800 x 356 pixels %.1f µs\n",
                plan.steps, r.step.stepNs / 1000, r.step.memcpyNs / 1000);
    std::printf("Start-up to the first frame and peak RSS, medians of %d rounds taking turns (ours / the same window "
                "in plain Qt,\nthe median of each round's ratio: %.3f):\n",
                plan.startupRounds, r.startupRatio);
    std::printf("  ours, 2400-pixel BG.bmp      %7.1f ms %8.0f KiB\n", r.app.ms, r.app.rssKiB);
    std::printf("  the same window in plain Qt  %7.1f ms %8.0f KiB\n", r.sameWindow.ms, r.sameWindow.rssKiB);
    std::printf("  an empty Qt window           %7.1f ms %8.0f KiB\n", r.qtMin.ms, r.qtMin.rssKiB);
    std::printf("  ours, %d-pixel BG.bmp     %7.1f ms %8.0f KiB\n", kWideWidth, r.wide.ms, r.wide.rssKiB);
    std::printf("CPU use over %d s, %% of one core: stopped %.3f; scrolling at 10 ms under the precision timer %.2f, "
                "under the standard timer %.2f\n",
                plan.idleSeconds, r.stoppedPct, r.mm10Pct, r.std10Pct);

    std::printf("Timer service: event thread wake-ups (voluntary context switches) per tick:");
    for (const auto& [ms, w] : r.wakeups)
        std::printf(" %u ms %lld / %zu ticks;", ms, static_cast<long long>(w.wakeups), w.ticks);
    std::printf(" timeKillEvent at 1,000 ms (%zu kills at random moments): median %.3f ms, worst %.3f ms\n",
                r.kill.ticks, double(r.kill.p50Ns) / 1e6, double(r.kill.maxNs) / 1e6);

    printPaint(r, plan);

    std::printf("\nTargets\n");
    for (const Target& t : targets)
        std::printf("  %-56s %10.2f  limit %10.2f  %s\n", qUtf8Printable(t.name), t.value, t.limit,
                    !t.unjudged.isEmpty() ? qUtf8Printable(t.unjudged)
                    : t.met               ? "met"
                                          : "MISSED");
}

QJsonObject resultsJson(const Results& r, const Plan& plan, bool quick, const std::vector<Target>& targets)
{
    QJsonObject scroll = tickJson(r.scroll.ticks); // with what only scrolling has
    scroll.insert("ticks_per_s", r.scroll.ticksPerS);
    scroll.insert("frames_per_s", r.scroll.framesPerS);
    scroll.insert("max_pending", r.scroll.maxPending);
    scroll.insert("step_p50_us", us(r.scroll.stepTime.p50Ns));
    scroll.insert("step_p99_us", us(r.scroll.stepTime.p99Ns));
    scroll.insert("step_max_us", us(r.scroll.stepTime.maxNs));
    scroll.insert("position_exact", r.scroll.positionExact);
    QJsonArray targetList;
    for (const Target& t : targets)
        targetList.append(QJsonObject{{"name", t.name},
                                      {"value", t.value},
                                      {"limit", t.limit},
                                      {"met", t.met},
                                      {"judged", t.unjudged.isEmpty()}});
    QJsonObject json{
        {"quick", quick},
        {"timer_rounds", plan.timerRounds},
        {"scrollstep", QJsonObject{{"step_ns_p50", r.step.stepNs},
                                   {"memcpy_ns_p50", r.step.memcpyNs},
                                   {"steps", qint64(plan.steps)}}},
        {"startup", QJsonObject{{"app_ms", r.app.ms},
                                {"app_over_same_window", r.startupRatio},
                                {"same_window_ms", r.sameWindow.ms},
                                {"same_window_rss_kib", r.sameWindow.rssKiB},
                                {"qt_min_ms", r.qtMin.ms},
                                {"app_rss_kib", r.app.rssKiB},
                                {"qt_min_rss_kib", r.qtMin.rssKiB},
                                {"bitmap_bytes", qint64(r.bitmapBytes)},
                                {"wide_app_ms", r.wide.ms},
                                {"wide_app_rss_kib", r.wide.rssKiB},
                                {"wide_bitmap_bytes", qint64(kWideWidth) * 356 * 4},
                                {"runs", plan.startupRounds}}},
        {"idle", QJsonObject{{"stopped_cpu_pct", r.stoppedPct},
                             {"mm10_cpu_pct", r.mm10Pct},
                             {"std10_cpu_pct", r.std10Pct},
                             {"seconds", plan.idleSeconds}}},
        {"timer_wakeups", wakeupsJson(r)},
        {"kill_ms", QJsonObject{{"p50", double(r.kill.p50Ns) / 1e6},
                                {"max", double(r.kill.maxNs) / 1e6},
                                {"kills", qint64(r.kill.ticks)}}},
        {"paint", paintJson(r, plan)},
        {"targets", targetList},
    };
    for (const TickRow& row : tickRows(r))
        json.insert(QLatin1String(row.key),
                    row.key == std::string_view("scroll_1ms") ? scroll : tickJson(*row.figures));
    return json;
}

} // namespace bench

// Benchmark driver: measures the timers, the scroll step, start-up, idle cost and what a screen shows in one
// run, prints a table and writes results.json, a lateness plot and a plot of the scroll per screen refresh.
//   scrollbench [--quick] --xvfb-pid PID DIR
// DIR holds the sample BG.bmp; the results are written there. $DISPLAY is a private Xvfb whose process is PID,
// for the measurements on a real X server; everything else runs on Qt's offscreen platform.

#include "Measure.h"
#include "Report.h"
#include "TApplication.h"
#include "Unit1.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

using bench::kPaintIntervals;
using bench::kTimers;
using bench::paintKey;
using bench::Plan;
using bench::Results;

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

Results measureAll(const Plan& plan, const QString& dir, const QString& wideDir, qint64 xserverPid)
{
    Results r;
    auto at1 = bench::analyseTimers(bench::recordTimers(1, plan.ticks1ms, plan.timerRounds, false), 1);
    r.mm1 = at1["mmtimer"];
    r.base1 = at1["baseline"];
    auto at10 = bench::analyseTimers(bench::recordTimers(10, plan.ticks10ms, plan.timerRounds, true), 10);
    r.mm10 = at10["mmtimer"];
    r.base10 = at10["baseline"];
    r.std10 = at10["stdtimer"];
    auto at16 = bench::analyseTimers(bench::recordTimers(16, plan.ticks16ms, plan.timerRounds, false), 16);
    r.mm16 = at16["mmtimer"];
    r.base16 = at16["baseline"];
    r.wakeups = bench::measureWakeups({{1, plan.wakeTicks1ms}, {1000, plan.wakeTicks1000ms}});
    r.kill = bench::measureKill(1000, plan.kills);

    QDir::setCurrent(dir); // the window loads BG.bmp from the current directory
    Application->CreateForm(Form1);
    Form1->show();
    QCoreApplication::processEvents();
    r.bitmapBytes = std::int64_t(Form1->Background->Width()) * Form1->Background->Height() * 4;
    r.scroll = bench::measureScroll(*Form1, plan.scrollTicks);
    r.step = bench::measureStepCost(*Form1, plan.steps);

    const QString bin = QCoreApplication::applicationDirPath();
    const QString appProbe = bin + QStringLiteral("/scroll_app_probe");
    const QString qtWindow = bin + QStringLiteral("/scroll_qt_window");
    const auto startup = bench::measureStartup({{appProbe, {QStringLiteral("startup")}, dir},
                                                {qtWindow, {}, dir},
                                                {qtWindow, {QStringLiteral("empty")}, dir},
                                                {appProbe, {QStringLiteral("startup")}, wideDir}},
                                               plan.startupRounds);
    r.app = startup[0];
    r.sameWindow = startup[1];
    r.startupRatio = bench::medianRatio(r.app.roundNs, r.sameWindow.roundNs);
    r.qtMin = startup[2];
    r.wide = startup[3];
    r.stoppedPct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("stopped"), plan.idleSeconds);
    r.mm10Pct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("mm"), plan.idleSeconds);
    r.std10Pct = bench::measureIdleCpuPct(appProbe, dir, QStringLiteral("std"), plan.idleSeconds);

    // Each interval's baseline just before the programs it is the yardstick for, on the same X server, in
    // rounds: a slow spell of the machine falls on one run, and the median run of each leaves it out.
    const QString paintBaseline = bin + QStringLiteral("/scroll_paint_baseline");
    for (unsigned ms : kPaintIntervals) {
        const QString interval = QString::number(ms);
        std::map<QString, std::vector<bench::PaintFigures>> runs;  // by timer; the baseline's under ""
        for (int round = 0; round < plan.paintRounds; ++round) {
            runs[QString()].push_back(
                bench::measurePaint(paintBaseline, {interval}, dir, xserverPid, ms, plan.paintSeconds));
            for (const auto& [timer, title] : kTimers)
                runs[timer].push_back(bench::measurePaint(appProbe, {QStringLiteral("paint"), timer, interval}, dir,
                                                          xserverPid, ms, plan.paintSeconds));
        }
        r.paintBaseline[ms] = bench::medianRun(std::move(runs[QString()]));
        for (const auto& [timer, title] : kTimers)
            r.paint[paintKey(timer, ms)] = bench::medianRun(std::move(runs[timer]));
    }

    auto user = bench::analyseTimers(
        bench::recordTimersAtOrdinaryPriority(QCoreApplication::applicationFilePath(), 1, plan.ordinaryTicks,
                                              plan.timerRounds),
        1);
    r.mm1User = user[QStringLiteral("mmtimer")];
    r.base1User = user[QStringLiteral("baseline")];
    return r;
}

// Writes `image` to DIR/`name`; false after saying why.
bool save(const QImage& image, const QString& dir, const QString& name)
{
    const QString path = dir + QLatin1Char('/') + name;
    if (image.save(path))
        return true;
    std::fprintf(stderr, "scrollbench: cannot write %s\n", qUtf8Printable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    // Every figure is taken without a display, ours and the probes' alike, but for those on the X server.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    Application->Initialize();

    QCommandLineParser parser;
    const QCommandLineOption quickOption(QStringLiteral("quick"), QStringLiteral("Fewer ticks and runs."));
    const QCommandLineOption xvfbOption(QStringLiteral("xvfb-pid"), QStringLiteral("The X server's process."),
                                        QStringLiteral("PID"));
    // Not for people: the driver runs itself so, refused a real-time priority.
    QCommandLineOption childOption(QStringLiteral("ordinary-priority-child"), QString(), QStringLiteral("PERIOD"));
    childOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({quickOption, xvfbOption, childOption});
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("Holds BG.bmp; gets the results."));
    parser.process(QCoreApplication::arguments());
    if (parser.isSet(childOption)) {
        return bench::runOrdinaryPriorityChild(parser.value(childOption).toUInt(),
                                               parser.positionalArguments().value(0).toULongLong(),
                                               parser.positionalArguments().value(1).toInt());
    }
    const bool quick = parser.isSet(quickOption);
    const qint64 xserverPid = parser.value(xvfbOption).toLongLong();
    if (parser.positionalArguments().size() != 1 || xserverPid <= 0) {
        std::fprintf(stderr, "usage: scrollbench [--quick] --xvfb-pid PID DIR\n");
        return 2;
    }
    const Plan plan = quick ? bench::kQuick : bench::kFull;
    const QString dir = QDir(parser.positionalArguments().front()).absolutePath();
    const QString wideDir = dir + QStringLiteral("/wide");
    if (!QFile::exists(dir + QStringLiteral("/BG.bmp"))) {
        std::fprintf(stderr, "scrollbench: no BG.bmp in %s\n", qUtf8Printable(dir));
        return 2;
    }
    if (!writeWideBitmap(dir + QStringLiteral("/BG.bmp"), wideDir + QStringLiteral("/BG.bmp"), bench::kWideWidth)) {
        std::fprintf(stderr, "scrollbench: cannot write %s/BG.bmp\n", qUtf8Printable(wideDir));
        return 1;
    }

    std::printf("scrollbench%s: measuring; every ratio is taken against a baseline measured in this run\n",
                quick ? " --quick" : "");
    std::fflush(stdout);
    const Results results = measureAll(plan, dir, wideDir, xserverPid);
    const std::vector<bench::Target> goals = bench::targets(results, quick);
    bench::printReport(results, plan, goals);

    QFile json(dir + QStringLiteral("/results.json"));
    if (!json.open(QIODevice::WriteOnly) ||
        json.write(QJsonDocument(bench::resultsJson(results, plan, quick, goals)).toJson()) < 0) {
        std::fprintf(stderr, "scrollbench: cannot write %s\n", qUtf8Printable(json.fileName()));
        return 1;
    }
    const double plotSeconds = std::min(bench::kPlotSeconds, double(plan.paintSeconds));
    if (!save(bench::latencyPlot(results), dir, QStringLiteral("lateness-10ms.png")) ||
        !save(bench::advancePlot(results, plotSeconds), dir, QStringLiteral("advance-per-refresh.png")))
        return 1;
    std::printf("\nwrote %s, lateness-10ms.png and advance-per-refresh.png there\n", qUtf8Printable(json.fileName()));
    return 0;
}

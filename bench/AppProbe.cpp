// Our program as its users start it, with a probe for the benchmarks:
//   scroll_app_probe startup         prints when Image1 first painted and the peak RSS, then exits
//   scroll_app_probe idle KIND SECS  after the first frame, with KIND "stopped", "mm" or "std",
//                                    starts that timer at 10 ms through START and prints the CPU
//                                    time the process used over SECS seconds
//   scroll_app_probe paint KIND MS   after the first frame starts timer KIND ("mm" or "std") at MS
//                                    through START and prints when, the picture's width and the
//                                    screen's refresh rate; logs each paint of Image1 with the left
//                                    edge it painted, and presses STOP and prints the log when its
//                                    standard input closes
// Runs in a directory holding BG.bmp.

#include "DisplayGuard.h"
#include "PaintWatch.h"
#include "RunGuarded.h"
#include "TApplication.h"
#include "TBitmap.h"
#include "TickLog.h"
#include "Unit1.h"

#include <QCoreApplication>
#include <QImage>
#include <QScreen>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>

namespace {

std::int64_t processCpuNs()
{
    return std::int64_t(std::clock()) * (1'000'000'000 / CLOCKS_PER_SEC);
}

// Starts timer `kind` at `intervalMs` the way a user does.
void start(TForm1& form, const std::string& kind, int intervalMs)
{
    form.Edit1->SetText(std::to_string(intervalMs));
    (kind == "mm" ? form.RadioButton2 : form.RadioButton1)->setChecked(true);
    form.Button1Click(form.Button1);
}

// Starts the chosen timer, waits `seconds`, reports, stops, exits.
void measureIdle(TForm1& form, const std::string& kind, int seconds)
{
    if (kind != "stopped")
        start(form, kind, 10);
    const std::int64_t cpu0 = processCpuNs();
    const std::int64_t wall0 = bench::monotonicNs();
    QTimer::singleShot(seconds * 1000, &form, [&form, kind, cpu0, wall0] {
        bench::reportLine({{"cpu_ns", processCpuNs() - cpu0}, {"wall_ns", bench::monotonicNs() - wall0}});
        if (kind != "stopped")
            form.Button1Click(form.Button1);
        QCoreApplication::exit(0);
    });
}

void logPaints(TForm1& form, const std::string& kind, int intervalMs)
{
    bench::logFramesUntilStdinCloses(form.Image1, QImage(QStringLiteral("BG.bmp")),
        [&form] { form.Button1Click(form.Button1); });
    start(form, kind, intervalMs);
    bench::reportLine({{"started_ns", bench::monotonicNs()},
                       {"width", form.Background->Width()},
                       {"refresh_mhz", std::llround(form.screen()->refreshRate() * 1000)}});
}

} // namespace

int main(int argc, char* argv[])
{
    const bool startup = argc == 2 && std::strcmp(argv[1], "startup") == 0;
    const bool idle = argc == 4 && std::strcmp(argv[1], "idle") == 0;
    const bool paint = argc == 4 && std::strcmp(argv[1], "paint") == 0;
    if (!startup && !idle && !paint) {
        std::fprintf(stderr, "usage: scroll_app_probe startup | idle stopped|mm|std SECONDS | paint mm|std MS\n");
        return 2;
    }
    TApplication application(argc, argv);
    return RunGuarded([&] {
        {
            const DisplayGuard guard;  // as main() does
            Application->Initialize();
        }
        TBitmap::Preload("BG.bmp");  // as main() does
        Application->CreateForm(Form1);
        if (startup) {
            bench::reportFirstPaintAndExit(Form1->Image1);
        } else {
            const std::string kind = argv[2];
            const int number = std::atoi(argv[3]);
            new bench::PaintWatch(Form1->Image1, [paint, kind, number, started = false](std::int64_t) mutable {
                if (std::exchange(started, true))
                    return;
                // Queued: a click is no business of a paint event.
                QTimer::singleShot(0, Form1, [paint, kind, number] {
                    if (paint)
                        logPaints(*Form1, kind, number);
                    else
                        measureIdle(*Form1, kind, number);
                });
            });
        }
        Application->Run();
    });
}

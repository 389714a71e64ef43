// The two plots of results.json's figures, drawn with QPainter: lateness-10ms.png and advance-per-refresh.png.
// Need a QGuiApplication, for the fonts.

#include "Report.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace bench {

namespace {

constexpr int kPanelWidth = 460;
constexpr int kHeadingHeight = 40;
constexpr int kRight = 14;
const QColor kBar(50, 100, 180);
const QColor kRed(200, 60, 40);
const QColor kGreen(30, 150, 60);
const QColor kOrange(230, 140, 20);

QFont plotFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// A white page of `columns` × `rows` panels of `panelHeight` under a heading.
QImage page(const QString& heading, int panelHeight, int columns, int rows)
{
    QImage image(kPanelWidth * columns, kHeadingHeight + panelHeight * rows, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(plotFont(18, true));
    p.drawText(QRect(0, 8, image.width(), kHeadingHeight - 8), Qt::AlignHCenter, heading);
    return image;
}

// What every panel has: its title and figures over the plot area, and the vertical axis's title.
void drawPanelFrame(QPainter& p, const QRect& area, const QRect& plot, const QString& title, const QString& figures,
                    const QString& axis)
{
    p.setPen(Qt::black);
    p.setFont(plotFont(14, true));
    p.drawText(QRect(area.left(), area.top() + 2, area.width(), 20), Qt::AlignHCenter, title);
    p.setFont(plotFont(12));
    p.drawText(QRect(area.left(), area.top() + 22, area.width(), 18), Qt::AlignHCenter, figures);
    p.save();
    p.translate(area.left() + 11, plot.center().y());
    p.rotate(-90);
    p.drawText(QRect(-90, -9, 180, 18), Qt::AlignCenter, axis);
    p.restore();
}

// A grid line across `plot` at height `y`, labelled in the `labelWidth` pixels left of it.
void drawGridLine(QPainter& p, const QRect& plot, double y, int labelWidth, const QString& label)
{
    p.setPen(QColor(225, 225, 225));
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    p.setPen(Qt::black);
    p.drawText(QRectF(plot.left() - labelWidth, y - 8, labelWidth - 6, 16), Qt::AlignRight | Qt::AlignVCenter, label);
}

QString duration(double ns)
{
    return ns >= 1e6 ? QStringLiteral("%1 ms").arg(ns / 1e6, 0, 'g', 3)
                     : QStringLiteral("%1 µs").arg(ns / 1e3, 0, 'g', 3);
}

// One source's histogram on log scales, each bucket a bar and the overflow one of its own, with its
// median and p99 marked.
void drawLatencyPanel(QPainter& p, const QRect& area, const QString& title, const TickFigures& f, const Histogram& h,
                      int decades)
{
    const QRect plot = area.adjusted(62, 54, -kRight, -56);
    const LatencySummary& s = f.summary;
    const int columns = int(h.counts.size()) + 2; // buckets, a gap, the overflow
    const double column = double(plot.width()) / columns;
    QString figures = QStringLiteral("median %1   p99 %2   worst %3   %4 ticks")
                          .arg(duration(double(s.p50Ns)), duration(double(s.p99Ns)), duration(double(s.maxNs)))
                          .arg(s.ticks);
    if (h.underflow > 0)
        figures += QStringLiteral("   (%1 below %2)").arg(h.underflow).arg(duration(double(h.edgesNs.front())));
    drawPanelFrame(p, area, plot, title, figures, QStringLiteral("ticks (log scale)"));

    // A lone tick still gets a visible stub.
    const auto yOf = [&](double count) {
        return plot.bottom() - (std::log10(count) + 0.12) / (decades + 0.12) * plot.height();
    };
    for (int d = 0; d <= decades; ++d)
        drawGridLine(p, plot, yOf(std::pow(10.0, d)), 62, QString::number(std::pow(10.0, d), 'f', 0));
    const auto bar = [&](std::size_t index, std::uint64_t count, const QColor& colour) {
        if (count > 0)
            p.fillRect(QRectF(QPointF(plot.left() + double(index) * column + 0.5, yOf(double(count))),
                              QPointF(plot.left() + double(index + 1) * column - 0.5, plot.bottom())),
                       colour);
    };
    for (std::size_t i = 0; i < h.counts.size(); ++i)
        bar(i, h.counts[i], kBar);
    bar(std::size_t(columns - 1), h.overflow, kRed);

    p.setPen(Qt::black);
    p.drawRect(plot);
    for (std::size_t i = 0; i < h.edgesNs.size(); ++i) {
        const double exponent = std::log10(double(h.edgesNs[i]));
        if (std::abs(exponent - std::round(exponent)) > 1e-9)
            continue;
        const double x = plot.left() + double(i) * column;
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        p.drawText(QRectF(x - 40, plot.bottom() + 6, 80, 16), Qt::AlignHCenter, duration(double(h.edgesNs[i])));
    }
    // At the middle of the bucket that holds it, the overflow's past the last.
    const auto marker = [&](std::int64_t ns, const QColor& colour, const QString& label, int row) {
        const auto bucket = std::ranges::upper_bound(h.edgesNs, ns) - h.edgesNs.begin() - 1;
        const double x = plot.left() + std::max(0.0, (double(bucket) + (bucket < columns - 2 ? 0.5 : 1.5)) * column);
        p.setPen(QPen(colour, 2, Qt::DashLine));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(colour);
        p.drawText(QRectF(x + 4, plot.top() + 4 + row * 16, 80, 16), Qt::AlignLeft, label);
    };
    marker(s.p50Ns, kGreen, QStringLiteral("median"), 0);
    marker(s.p99Ns, kOrange, QStringLiteral("p99"), 1);

    p.setPen(kRed);
    p.drawText(QRect(plot.right() - 70, plot.bottom() + 22, 70, 16), Qt::AlignRight,
               QStringLiteral("> %1").arg(duration(double(h.edgesNs.back()))));
    p.setPen(Qt::black);
    p.drawText(QRect(plot.left(), plot.bottom() + 36, plot.width(), 18), Qt::AlignHCenter,
               QStringLiteral("lateness: wake time − deadline (log scale)"));
}

// One program's advance at each refresh over the first `seconds`, a bar a refresh, the ideal dashed and
// refreshes that repeated a picture marked.
void drawAdvancePanel(QPainter& p, const QRect& area, const QString& title, const PaintFigures& f, double seconds)
{
    const QRect plot = area.adjusted(46, 48, -kRight, -40);
    drawPanelFrame(p, area, plot, title,
                   QStringLiteral("%1 frames/s painted   advance %2 ± %3 px   %4 % repeated")
                       .arg(f.framesPerS, 0, 'f', 1)
                       .arg(f.advance.meanPx, 0, 'f', 2)
                       .arg(f.advance.sdPx, 0, 'f', 2)
                       .arg(100 * f.advance.repeatShare, 0, 'f', 1),
                   QStringLiteral("pixels advanced"));

    // Twice the ideal leaves room to see a double step; taller advances are cut at the top.
    const int top = std::max(2, int(std::ceil(2 * f.idealPx)));
    const auto yOf = [&](double px) { return plot.bottom() - std::min(px, double(top)) / top * plot.height(); };
    for (int px = 0; px <= top; px += std::max(1, top / 4))
        drawGridLine(p, plot, yOf(px), 46, QString::number(px));

    const double refreshes = std::max(1.0, seconds * f.refreshHz);
    const double column = plot.width() / refreshes;
    for (std::size_t i = 0; i < std::min(f.advances.size(), std::size_t(std::lround(refreshes))); ++i) {
        const double x = plot.left() + double(i) * column;
        const int advance = f.advances[i];
        const double y = advance == 0 ? plot.bottom() - 6 : yOf(advance);
        p.fillRect(QRectF(x, y, std::max(1.0, column - 0.5), plot.bottom() - y),
                   advance == 0 || advance > top ? kRed : kBar);
    }
    const double ideal = yOf(f.idealPx);
    p.setPen(QPen(kGreen, 2, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), ideal), QPointF(plot.right(), ideal));
    // Labelled in the corner, clear of the bars.
    const QRect label(plot.right() - 100, plot.top() + 1, 99, 16);
    p.fillRect(label, Qt::white);
    p.setPen(kGreen);
    p.drawText(label, Qt::AlignCenter, QStringLiteral("- - ideal %1 px").arg(f.idealPx, 0, 'f', 2));

    p.setPen(Qt::black);
    p.drawRect(plot);
    for (int second = 0; second <= int(seconds); ++second) {
        const double x = plot.left() + second * f.refreshHz * column;
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        p.drawText(QRectF(x - 30, plot.bottom() + 6, 60, 16), Qt::AlignHCenter, QStringLiteral("%1 s").arg(second));
    }
    p.drawText(QRect(plot.left(), plot.bottom() + 22, plot.width(), 18), Qt::AlignHCenter,
               QStringLiteral("screen refreshes; red: picture repeated (or cut off at the top)"));
}

} // namespace

QImage latencyPlot(const Results& r)
{
    const std::pair<QString, const TickFigures*> sources[] = {
        {QStringLiteral("precision timer (TMMTimer)"), &r.mm10},
        {QStringLiteral("baseline (clock_nanosleep thread)"), &r.base10},
        {QStringLiteral("standard timer (TTimer)"), &r.std10}};
    // 1 µs to 10 ms in ten buckets a decade: the sleeping threads and the event loop differ by orders of
    // magnitude, which fixed-width buckets cannot show side by side.
    std::vector<Histogram> histograms;
    std::uint64_t highest = 1;
    for (const auto& [title, figures] : sources) {
        histograms.push_back(histogram(figures->latenessNs, logEdges(1'000, 4, 10), 0));
        highest = std::max({highest, histograms.back().overflow, std::ranges::max(histograms.back().counts)});
    }
    const int decades = std::max(1, int(std::ceil(std::log10(double(highest)))));
    constexpr int height = 400;
    QImage image = page(QStringLiteral("Tick lateness at a 10 ms period, the three sources ticking side by side"),
                        height, int(std::size(sources)), 1);
    QPainter p(&image);
    for (std::size_t i = 0; i < std::size(sources); ++i)
        drawLatencyPanel(p, QRect(int(i) * kPanelWidth, kHeadingHeight, kPanelWidth, height), sources[i].first,
                         *sources[i].second, histograms[i], decades);
    return image;
}

QImage advancePlot(const Results& r, double seconds)
{
    std::vector<std::pair<QString, const PaintFigures*>> panels;
    for (const auto& [timer, title] : kTimers) {
        for (unsigned ms : kPaintIntervals)
            panels.emplace_back(QStringLiteral("%1, %2 ms").arg(title).arg(ms), &r.paint.at(paintKey(timer, ms)));
    }
    for (unsigned ms : kPaintIntervals)
        panels.emplace_back(QStringLiteral("baseline program, %1 ms").arg(ms), &r.paintBaseline.at(ms));
    constexpr int height = 260;
    const int columns = int(std::size(kPaintIntervals));
    QImage image = page(QStringLiteral("Pixels the view advanced at each screen refresh (Xvfb, %1 Hz), the first %2 s")
                            .arg(r.paintBaseline.at(16).refreshHz, 0, 'f', 0)
                            .arg(seconds),
                        height, columns, int(panels.size()) / columns);
    QPainter p(&image);
    for (std::size_t i = 0; i < panels.size(); ++i)
        drawAdvancePanel(p, QRect(int(i) % columns * kPanelWidth, kHeadingHeight + int(i) / columns * height,
                                  kPanelWidth, height),
                         panels[i].first, *panels[i].second, seconds);
    return image;
}

} // namespace bench

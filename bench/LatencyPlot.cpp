#include "LatencyPlot.h"

#include "PlotFrame.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace bench {

namespace {

constexpr int kPanelWidth = 460;
constexpr int kPanelHeight = 400;
constexpr int kHeadingHeight = 40;
constexpr int kLeft = 62; // count labels
constexpr int kRight = 14;
constexpr int kTop = 54;    // panel title and figures
constexpr int kBottom = 56; // lateness labels and axis title
const QColor kBar(50, 100, 180);
const QColor kOverflow(200, 60, 40);
const QColor kMedian(30, 150, 60);
const QColor kP99(230, 140, 20);

QString duration(double ns)
{
    if (ns >= 1e6)
        return QStringLiteral("%1 ms").arg(ns / 1e6, 0, 'g', 3);
    return QStringLiteral("%1 µs").arg(ns / 1e3, 0, 'g', 3);
}

bool isPowerOfTen(std::int64_t ns)
{
    const double exponent = std::log10(double(ns));
    return ns > 0 && std::abs(exponent - std::round(exponent)) < 1e-9;
}

void drawPanel(QPainter& p, const QRect& area, const LatencyPanel& panel, int decades)
{
    const Histogram& h = panel.histogram;
    const LatencySummary& s = panel.summary;
    const QRect plot(area.left() + kLeft, area.top() + kTop, area.width() - kLeft - kRight,
                     area.height() - kTop - kBottom);
    // Buckets, a gap, then the overflow bar.
    const int columns = int(h.counts.size()) + 2;
    const double column = double(plot.width()) / columns;

    QString figures = QStringLiteral("median %1   p99 %2   worst %3   %4 ticks")
                          .arg(duration(double(s.p50Ns)), duration(double(s.p99Ns)), duration(double(s.maxNs)))
                          .arg(s.ticks);
    if (h.underflow > 0)
        figures += QStringLiteral("   (%1 below %2)").arg(h.underflow).arg(duration(double(h.edgesNs.front())));
    drawPanelHeading(p, area, panel.title, figures);

    // Count c sits at log10(c) of the decades; a lone tick still gets a visible stub.
    const auto yOf = [&](double count) {
        return plot.bottom() - (std::log10(count) + 0.12) / (decades + 0.12) * plot.height();
    };
    for (int d = 0; d <= decades; ++d)
        drawGridLine(p, plot, int(yOf(std::pow(10.0, d))), kLeft, QString::number(std::pow(10.0, d), 'f', 0));
    const auto bar = [&](int index, std::uint64_t count, const QColor& colour) {
        if (count == 0)
            return;
        const double top = yOf(double(count));
        p.fillRect(QRectF(plot.left() + index * column + 0.5, top, std::max(1.0, column - 1), plot.bottom() - top),
                   colour);
    };
    for (std::size_t i = 0; i < h.counts.size(); ++i)
        bar(int(i), h.counts[i], kBar);
    bar(columns - 1, h.overflow, kOverflow);

    p.setPen(Qt::black);
    p.drawRect(plot);
    for (std::size_t i = 0; i < h.edgesNs.size(); ++i) {
        if (!isPowerOfTen(h.edgesNs[i]))
            continue;
        const int x = plot.left() + int(i * column);
        p.drawLine(x, plot.bottom(), x, plot.bottom() + 4);
        p.drawText(QRect(x - 40, plot.bottom() + 6, 80, 16), Qt::AlignHCenter, duration(double(h.edgesNs[i])));
    }
    // Where a lateness falls on the bucket axis, between the edges around it on their own scale.
    const auto xOf = [&](std::int64_t ns) {
        const auto above = std::ranges::upper_bound(h.edgesNs, ns);
        if (above == h.edgesNs.begin())
            return double(plot.left());
        if (above == h.edgesNs.end())
            return plot.left() + (columns - 0.5) * column;
        const std::size_t i = std::size_t(above - h.edgesNs.begin()) - 1;
        const double within =
            std::log(double(ns) / double(h.edgesNs[i])) / std::log(double(*above) / double(h.edgesNs[i]));
        return plot.left() + (double(i) + within) * column;
    };
    const auto marker = [&](std::int64_t ns, const QColor& colour, const QString& label, int row) {
        const double x = xOf(ns);
        p.setPen(QPen(colour, 2, Qt::DashLine));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(colour);
        p.drawText(QRectF(x + 4, plot.top() + 4 + row * 16, 80, 16), Qt::AlignLeft, label);
    };
    marker(s.p50Ns, kMedian, QStringLiteral("median"), 0);
    marker(s.p99Ns, kP99, QStringLiteral("p99"), 1);

    p.setPen(kOverflow);
    p.drawText(QRect(plot.right() - 70, plot.bottom() + 22, 70, 16), Qt::AlignRight,
               QStringLiteral("> %1").arg(duration(double(h.edgesNs.back()))));
    p.setPen(Qt::black);
    p.drawText(QRect(plot.left(), plot.bottom() + 36, plot.width(), 18), Qt::AlignHCenter,
               QStringLiteral("lateness: wake time − deadline (log scale)"));
    drawAxisTitle(p, area.left() + 12, plot.center().y(), QStringLiteral("ticks (log scale)"));
}

} // namespace

QImage drawLatencyPanels(const QString& heading, const std::vector<LatencyPanel>& panels)
{
    std::uint64_t highest = 1;
    for (const auto& panel : panels) {
        highest = std::max(highest, panel.histogram.overflow);
        for (std::uint64_t count : panel.histogram.counts)
            highest = std::max(highest, count);
    }
    const int decades = std::max(1, int(std::ceil(std::log10(double(highest)))));

    QImage image = plotPage(heading, kHeadingHeight, QSize(kPanelWidth, kPanelHeight), int(panels.size()), 1);
    QPainter p(&image);
    for (std::size_t i = 0; i < panels.size(); ++i)
        drawPanel(p, QRect(int(i) * kPanelWidth, kHeadingHeight, kPanelWidth, kPanelHeight), panels[i], decades);
    return image;
}

} // namespace bench

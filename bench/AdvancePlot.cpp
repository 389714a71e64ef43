#include "AdvancePlot.h"

#include "PlotFrame.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace bench {

namespace {

constexpr int kPanelWidth = 460;
constexpr int kPanelHeight = 260;
constexpr int kHeadingHeight = 40;
constexpr int kLeft = 46; // pixel labels
constexpr int kRight = 14;
constexpr int kTop = 48;    // panel title and figures
constexpr int kBottom = 40; // time labels and axis title
const QColor kBar(50, 100, 180);
const QColor kRepeat(200, 60, 40);
const QColor kIdeal(30, 150, 60);

void drawPanel(QPainter& p, const QRect& area, const AdvancePanel& panel, double seconds)
{
    const QRect plot(area.left() + kLeft, area.top() + kTop, area.width() - kLeft - kRight,
                     area.height() - kTop - kBottom);
    const AdvanceSummary& s = panel.summary;
    drawPanelHeading(p, area, panel.title,
                     QStringLiteral("%1 frames/s painted   advance %2 ± %3 px   %4 % repeated")
                         .arg(panel.framesPerS, 0, 'f', 1)
                         .arg(s.meanPx, 0, 'f', 2)
                         .arg(s.sdPx, 0, 'f', 2)
                         .arg(100 * s.repeatShare, 0, 'f', 1));

    // Twice the ideal leaves room to see a double step; taller advances are cut at the top.
    const int top = std::max(2, int(std::ceil(2 * panel.idealPx)));
    const auto yOf = [&](double px) { return plot.bottom() - std::min(px, double(top)) / top * plot.height(); };
    const int step = std::max(1, top / 4);
    for (int px = 0; px <= top; px += step)
        drawGridLine(p, plot, int(yOf(px)), kLeft, QString::number(px));

    const std::size_t shown = std::min(panel.advances.size(), std::size_t(std::lround(seconds * panel.refreshHz)));
    const double column = double(plot.width()) / std::max(1.0, seconds * panel.refreshHz);
    for (std::size_t i = 0; i < shown; ++i) {
        const double x = plot.left() + double(i) * column;
        const int advance = panel.advances[i];
        if (advance == 0) {
            p.fillRect(QRectF(x, plot.bottom() - 6, std::max(1.0, column), 6), kRepeat);
            continue;
        }
        const double y = yOf(advance);
        p.fillRect(QRectF(x, y, std::max(1.0, column - 0.5), plot.bottom() - y), advance > top ? kRepeat : kBar);
    }
    const double ideal = yOf(panel.idealPx);
    p.setPen(QPen(kIdeal, 2, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), ideal), QPointF(plot.right(), ideal));
    // Labelled in the corner, clear of the bars.
    const QRect label(plot.right() - 100, plot.top() + 1, 99, 16);
    p.fillRect(label, Qt::white);
    p.setPen(kIdeal);
    p.drawText(label, Qt::AlignCenter, QStringLiteral("- - ideal %1 px").arg(panel.idealPx, 0, 'f', 2));

    p.setPen(Qt::black);
    p.drawRect(plot);
    for (int second = 0; second <= int(seconds); ++second) {
        const int x = plot.left() + int(second * panel.refreshHz * column);
        p.drawLine(x, plot.bottom(), x, plot.bottom() + 4);
        p.drawText(QRect(x - 30, plot.bottom() + 6, 60, 16), Qt::AlignHCenter, QStringLiteral("%1 s").arg(second));
    }
    p.drawText(QRect(plot.left(), plot.bottom() + 22, plot.width(), 18), Qt::AlignHCenter,
               QStringLiteral("screen refreshes; red: picture repeated (or cut off at the top)"));
    drawAxisTitle(p, area.left() + 10, plot.center().y(), QStringLiteral("pixels advanced"));
}

} // namespace

QImage drawAdvancePanels(const QString& heading, const std::vector<AdvancePanel>& panels, int columns,
                         double seconds)
{
    const int rows = (int(panels.size()) + columns - 1) / columns;
    QImage image = plotPage(heading, kHeadingHeight, QSize(kPanelWidth, kPanelHeight), columns, rows);
    QPainter p(&image);
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const int row = int(i) / columns;
        const int col = int(i) % columns;
        drawPanel(p, QRect(col * kPanelWidth, kHeadingHeight + row * kPanelHeight, kPanelWidth, kPanelHeight),
                  panels[i], seconds);
    }
    return image;
}

} // namespace bench

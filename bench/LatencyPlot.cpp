#include "LatencyPlot.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace bench {

namespace {

constexpr int kPanelWidth = 440;
constexpr int kPanelHeight = 380;
constexpr int kHeadingHeight = 44;
constexpr int kLeft = 64;  // room for the count labels
constexpr int kRight = 16;
constexpr int kTop = 58;     // panel title and figures
constexpr int kBottom = 54;  // axis labels and unit

double microseconds(std::int64_t ns) { return static_cast<double>(ns) / 1000.0; }

void drawPanel(QPainter& p, const QRect& area, const LatencyPanel& panel, int decades) {
  const Histogram& h = panel.histogram;
  const QRect plot(area.left() + kLeft, area.top() + kTop, area.width() - kLeft - kRight,
                   area.height() - kTop - kBottom);
  const int bars = static_cast<int>(h.counts.size()) + 1;  // the last bar is the overflow
  const double barWidth = static_cast<double>(plot.width()) / bars;

  p.setPen(Qt::black);
  QFont bold = p.font();
  bold.setBold(true);
  p.setFont(bold);
  p.drawText(QRect(area.left(), area.top() + 4, area.width(), 20), Qt::AlignHCenter, panel.title);
  p.setFont(QFont());
  const LatencySummary& s = panel.summary;
  p.drawText(QRect(area.left(), area.top() + 24, area.width(), 20), Qt::AlignHCenter,
             QStringLiteral("median %1 µs   p99 %2 µs   worst %3 µs   (%4 ticks)")
                 .arg(microseconds(s.p50Ns), 0, 'f', 1)
                 .arg(microseconds(s.p99Ns), 0, 'f', 1)
                 .arg(microseconds(s.maxNs), 0, 'f', 0)
                 .arg(s.ticks));

  // Log scale: a count c sits at log10(c) of `decades`; counts of 1 get a stub.
  auto yOf = [&](double count) {
    const double frac = count <= 0 ? 0 : (std::log10(count) + 0.15) / (decades + 0.15);
    return plot.bottom() - frac * plot.height();
  };
  p.setPen(QColor(220, 220, 220));
  for (int d = 0; d <= decades; ++d) {
    const int y = static_cast<int>(yOf(std::pow(10.0, d)));
    p.drawLine(plot.left(), y, plot.right(), y);
  }
  p.setPen(Qt::black);
  for (int d = 0; d <= decades; ++d) {
    const int y = static_cast<int>(yOf(std::pow(10.0, d)));
    p.drawText(QRect(area.left(), y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(static_cast<long long>(std::pow(10.0, d))));
  }

  for (int i = 0; i < bars; ++i) {
    const bool overflow = i == bars - 1;
    const double count = overflow ? static_cast<double>(h.overflow) : static_cast<double>(h.counts[i]);
    if (count <= 0) continue;
    const double x = plot.left() + i * barWidth;
    const double y = yOf(count);
    p.fillRect(QRectF(x, y, std::max(1.0, barWidth - 1), plot.bottom() - y),
               overflow ? QColor(200, 60, 40) : QColor(50, 100, 180));
  }

  p.drawRect(plot);
  const double rangeUs = microseconds(h.bucketWidthNs * static_cast<std::int64_t>(h.counts.size()));
  const int ticks = 4;
  for (int t = 0; t <= ticks; ++t) {
    const int x = plot.left() + static_cast<int>(t * barWidth * (bars - 1) / ticks);
    p.drawLine(x, plot.bottom(), x, plot.bottom() + 4);
    p.drawText(QRect(x - 40, plot.bottom() + 6, 80, 16), Qt::AlignHCenter,
               QString::number(rangeUs * t / ticks, 'f', 0));
  }
  p.setPen(QColor(200, 60, 40));
  p.drawText(QRect(plot.right() - 60, plot.bottom() + 6, 60, 16), Qt::AlignRight,
             QStringLiteral("more"));
  p.setPen(Qt::black);
  p.drawText(QRect(plot.left(), plot.bottom() + 26, plot.width(), 18), Qt::AlignHCenter,
             QStringLiteral("lateness (µs, %1 µs buckets)").arg(microseconds(h.bucketWidthNs), 0, 'f', 0));
  p.save();
  p.translate(area.left() + 14, plot.center().y());
  p.rotate(-90);
  p.drawText(QRect(-80, -10, 160, 20), Qt::AlignCenter, QStringLiteral("ticks (log scale)"));
  p.restore();
}

}  // namespace

QImage drawLatencyPanels(const QString& heading, const std::vector<LatencyPanel>& panels) {
  std::uint64_t highest = 1;
  for (const auto& panel : panels) {
    highest = std::max(highest, panel.histogram.overflow);
    for (std::uint64_t c : panel.histogram.counts) highest = std::max(highest, c);
  }
  const int decades = std::max(1, static_cast<int>(std::ceil(std::log10(static_cast<double>(highest)))));

  QImage image(kPanelWidth * static_cast<int>(panels.size()), kHeadingHeight + kPanelHeight,
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  QFont headingFont = p.font();
  headingFont.setPointSize(headingFont.pointSize() + 3);
  headingFont.setBold(true);
  p.setFont(headingFont);
  p.drawText(QRect(0, 8, image.width(), kHeadingHeight - 8), Qt::AlignHCenter, heading);
  p.setFont(QFont());
  for (std::size_t i = 0; i < panels.size(); ++i)
    drawPanel(p, QRect(static_cast<int>(i) * kPanelWidth, kHeadingHeight, kPanelWidth, kPanelHeight),
              panels[i], decades);
  return image;
}

}  // namespace bench

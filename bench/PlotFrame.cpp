#include "PlotFrame.h"

#include <QPainter>

namespace bench {

namespace {

const QColor kGrid(225, 225, 225);

} // namespace

QFont plotFont(int pixels, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QImage plotPage(const QString& heading, int headingHeight, QSize panel, int columns, int rows)
{
    QImage image(panel.width() * columns, headingHeight + panel.height() * rows, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(plotFont(18, true));
    p.drawText(QRect(0, 8, image.width(), headingHeight - 8), Qt::AlignHCenter, heading);
    return image;
}

void drawPanelHeading(QPainter& p, const QRect& area, const QString& title, const QString& figures)
{
    p.setPen(Qt::black);
    p.setFont(plotFont(14, true));
    p.drawText(QRect(area.left(), area.top() + 2, area.width(), 20), Qt::AlignHCenter, title);
    p.setFont(plotFont(12));
    p.drawText(QRect(area.left(), area.top() + 22, area.width(), 18), Qt::AlignHCenter, figures);
}

void drawGridLine(QPainter& p, const QRect& plot, int y, int labelWidth, const QString& label)
{
    p.setPen(kGrid);
    p.drawLine(plot.left(), y, plot.right(), y);
    p.setPen(Qt::black);
    p.drawText(QRect(plot.left() - labelWidth, y - 8, labelWidth - 6, 16), Qt::AlignRight | Qt::AlignVCenter, label);
}

void drawAxisTitle(QPainter& p, int x, int centreY, const QString& title)
{
    p.save();
    p.translate(x, centreY);
    p.rotate(-90);
    p.drawText(QRect(-90, -9, 180, 18), Qt::AlignCenter, title);
    p.restore();
}

} // namespace bench

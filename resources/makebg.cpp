// Draws a sample background picture for the scroll test: 2400 x 356 pixels, hills under a sky, with a
// numbered mark every 100 columns so that scrolling shows. Usage: makebg FILE.bmp

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

constexpr int Width = 2400;
constexpr int Height = 356;

void DrawLandscape(QPainter& painter)
{
    QLinearGradient sky(0, 0, 0, Height);
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(1, QColor(215, 235, 250));
    painter.fillRect(0, 0, Width, Height, sky);

    QPainterPath hills(QPointF(0, Height));
    for (int x = 0; x <= Width; x += 4)
        hills.lineTo(x, 250 + 40 * std::sin(x / 130.0) + 15 * std::sin(x / 37.0));
    hills.lineTo(Width, Height);
    hills.closeSubpath();
    painter.fillPath(hills, QColor(60, 140, 60));
}

void DrawMarks(QPainter& painter)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    font.setBold(true);
    painter.setFont(font);
    for (int x = 0; x < Width; x += 10) {
        const int length = x % 100 == 0 ? Height : x % 50 == 0 ? 24 : 10;
        painter.setPen(QPen(x % 100 == 0 ? Qt::black : Qt::darkGray, x % 100 == 0 ? 2 : 1));
        painter.drawLine(x, 0, x, length);
        painter.drawLine(x, Height - 1, x, Height - 1 - std::min(length, 24));
        if (x % 100 == 0) {
            painter.setPen(Qt::black);
            painter.drawText(x + 5, 42, QString::number(x));
            painter.drawText(x + 5, Height - 30, QString::number(x));
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makebg FILE.bmp\n");
        return 2;
    }
    // Text needs a Qt GUI application, but never a window or a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    QImage picture(Width, Height, QImage::Format_RGB32);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawLandscape(painter);
        DrawMarks(painter);
    }
    if (!picture.save(QString::fromLocal8Bit(argv[1]), "BMP")) {
        std::fprintf(stderr, "makebg: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

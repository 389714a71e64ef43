// Draws the program's icon at SIZE x SIZE pixels for the icon themes: every pixel of PICTURE becomes a square
// of the largest whole number of pixels that fits, without smoothing, so it stays the same picture; what is
// left over is a transparent margin around it. A size smaller than PICTURE has no whole factor and is refused.
// The palette stays the picture's own (a transparent entry added for a margin).
// Usage: makeicon PICTURE SIZE OUT.png

#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: makeicon PICTURE SIZE OUT.png\n");
        return 2;
    }
    const QImage picture = QImage(argv[1]).convertToFormat(QImage::Format_Indexed8);
    const int size = std::atoi(argv[2]);
    if (picture.isNull() || picture.colorCount() > 255) {
        std::fprintf(stderr, "makeicon: %s is not a picture of at most 255 colours\n", argv[1]);
        return 1;
    }
    const int factor = std::min(size / picture.width(), size / picture.height());
    if (factor < 1) {
        std::fprintf(stderr, "makeicon: %s does not fit %d pixels\n", argv[1], size);
        return 1;
    }

    QImage icon(size, size, QImage::Format_Indexed8);
    QList<QRgb> colours = picture.colorTable();
    const int left = (size - factor * picture.width()) / 2;
    const int top = (size - factor * picture.height()) / 2;
    if (left > 0 || top > 0) {
        colours.append(qRgba(0, 0, 0, 0));
        icon.fill(uint(colours.size() - 1));
    }
    icon.setColorTable(colours);
    for (int y = 0; y < factor * picture.height(); ++y)
        for (int x = 0; x < factor * picture.width(); ++x)
            icon.setPixel(left + x, top + y, uint(picture.pixelIndex(x / factor, y / factor)));
    if (!icon.save(argv[3], "PNG")) {
        std::fprintf(stderr, "makeicon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

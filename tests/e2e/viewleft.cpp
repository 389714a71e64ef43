// Finds which columns of a picture a screenshot's view shows: prints the left edge L for which the
// 800 x 356 view at X,Y of SHOT equals PICTURE's columns L..L+799 exactly, or fails if none does.
// Without X,Y it looks for the view's first frame (L = 0) anywhere in SHOT and prints where: "X Y".
// Usage: viewleft PICTURE SHOT [X Y]

#include <QImage>

#include <cstdio>
#include <cstdlib>

namespace {

bool ShowsFrom(const QImage& picture, const QImage& shot, int x, int y, int left)
{
    for (int row = 0; row < 356; ++row) {
        const auto* seen = reinterpret_cast<const QRgb*>(shot.constScanLine(y + row)) + x;
        const auto* drawn = reinterpret_cast<const QRgb*>(picture.constScanLine(row)) + left;
        for (int column = 0; column < 800; ++column)
            if ((seen[column] & 0xffffff) != (drawn[column] & 0xffffff))
                return false;
    }
    return true;
}

int FindFirstFrame(const QImage& picture, const QImage& shot)
{
    for (int y = 0; y + 356 <= shot.height(); ++y)
        for (int x = 0; x + 800 <= shot.width(); ++x)
            if (ShowsFrom(picture, shot, x, y, 0)) {
                std::printf("%d %d\n", x, y);
                return 0;
            }
    std::fprintf(stderr, "viewleft: no view shows the picture's first frame\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: viewleft PICTURE SHOT [X Y]\n");
        return 2;
    }
    const QImage picture = QImage(argv[1]).convertToFormat(QImage::Format_RGB32);
    const QImage shot = QImage(argv[2]).convertToFormat(QImage::Format_RGB32);
    if (picture.width() < 800 || picture.height() < 356 || shot.width() < 800 || shot.height() < 356) {
        std::fprintf(stderr, "viewleft: pictures too small or unreadable\n");
        return 2;
    }
    if (argc == 3)
        return FindFirstFrame(picture, shot);
    const int x = std::atoi(argv[3]);
    const int y = std::atoi(argv[4]);
    if (shot.width() < x + 800 || shot.height() < y + 356) {
        std::fprintf(stderr, "viewleft: the view does not fit in the screenshot there\n");
        return 2;
    }
    for (int left = 0; left + 800 <= picture.width(); ++left)
        if (ShowsFrom(picture, shot, x, y, left)) {
            std::printf("%d\n", left);
            return 0;
        }
    std::fprintf(stderr, "viewleft: the view matches no 800 columns of the picture\n");
    return 1;
}

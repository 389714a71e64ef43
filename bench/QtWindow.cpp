// The yardsticks for start-up, each measured to its first paint as ours is:
//   scroll_qt_window         our window in plain Qt: the same controls with their texts at their places, and
//                            the first 800 x 356 pixels of BG.bmp, read with Qt's reader, shown in the view
//   scroll_qt_window empty   an empty window of our window's outer size

#include "PaintWatch.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

template <class TControl>
TControl* place(QWidget* window, const char* text, int left, int top, int width, int height)
{
    auto* control = new TControl(QString::fromLatin1(text), window);
    control->setGeometry(left, top, width, height);
    return control;
}

}  // namespace

int main(int argc, char* argv[])
{
    const bool empty = argc == 2 && std::strcmp(argv[1], "empty") == 0;
    if (argc > 2 || (argc == 2 && !empty)) {
        std::fprintf(stderr, "usage: scroll_qt_window [empty]\n");
        return 2;
    }
    QApplication app(argc, argv);
    QWidget window;
    if (empty) {
        window.resize(826, 439);
        bench::reportFirstPaintAndExit(&window);
        window.show();
        return app.exec();
    }
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(13);
    QApplication::setFont(font);
    window.setWindowTitle(QStringLiteral("Form1"));
    window.setFixedSize(818, 412);
    auto* view = place<QLabel>(&window, "", 8, 8, 800, 356);
    view->setPixmap(QPixmap::fromImage(QImage(QStringLiteral("BG.bmp")).copy(0, 0, 800, 356)));
    place<QLabel>(&window, "SourceRect.Left = 0", 584, 376, 225, 17);
    place<QLabel>(&window, "Interval (ms)", 368, 376, 72, 16);
    place<QPushButton>(&window, "START", 8, 368, 89, 33);
    place<QRadioButton>(&window, "Timer", 136, 376, 65, 17)->setChecked(true);
    place<QRadioButton>(&window, "Multimedia Timer", 208, 376, 129, 17);
    place<QLineEdit>(&window, "10", 448, 376, 49, 24);
    bench::reportFirstPaintAndExit(view);
    window.show();
    return app.exec();
}

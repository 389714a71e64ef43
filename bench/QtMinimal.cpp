// The yardstick for start-up: the least a Qt Widgets program does to show an empty window of the
// main window's size, measured the same way as ours.

#include "PaintWatch.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(826, 439);
    bench::reportFirstPaintAndExit(&window);
    window.show();
    return app.exec();
}

// The program's start-up picture path, run as the window runs it: BG.bmp from the current folder into a
// bitmap, then its top-left 800 x 356 pixels into an image control of that size.
// Call on the GUI thread with a QApplication alive; raises the toolkit's Exception as the program would.
#pragma once

#include <QImage>

namespace scroll::pictures {

struct FirstFrame {
    int Width = 0; // of the loaded bitmap
    int Height = 0;
    QImage Shown; // what the image control paints
};

FirstFrame LoadFirstFrame();

} // namespace scroll::pictures

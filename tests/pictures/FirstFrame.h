// The program's start-up picture path, run through the real window: TForm1 made in the current folder,
// where it reads BG.bmp, shows its first frame and takes one scroll step.
// Call on the GUI thread with a QApplication alive; raises the toolkit's Exception as the window does.
#pragma once

#include <QImage>

namespace scroll::pictures {

struct FirstFrame {
    int Width = 0; // of the loaded bitmap
    int Height = 0;
    QImage Shown;     // what Image1 paints first
    QImage AfterStep; // what it paints after one scroll step
};

FirstFrame LoadFirstFrame();

} // namespace scroll::pictures

#include "FirstFrame.h"

#include "TBitmap.h"
#include "TImage.h"
#include "TRect.h"

namespace scroll::pictures {

FirstFrame LoadFirstFrame()
{
    TImage image;
    image.resize(800, 356); // the layout's size for Image1
    TBitmap background;
    background.LoadFromFile("BG.bmp");
    image.Canvas()->CopyRect(TRect{0, 0, 800, 356}, background.Canvas(), TRect{0, 0, 800, 356});
    return {background.Width(), background.Height(), image.grab().toImage()};
}

} // namespace scroll::pictures

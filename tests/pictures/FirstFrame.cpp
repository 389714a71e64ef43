#include "FirstFrame.h"

#include "Unit1.h"

namespace scroll::pictures {

FirstFrame LoadFirstFrame()
{
    TForm1 window(nullptr);
    FirstFrame frame{window.Background->Width(), window.Background->Height(), window.Image1->grab().toImage(), {}};
    window.ScrollStep();
    frame.AfterStep = window.Image1->grab().toImage();
    return frame;
}

} // namespace scroll::pictures

#pragma once

#include "TCanvas.h"
#include "TControl.h"

#include <atomic>
#include <string>

struct HDC__;

// A control that shows the picture drawn on its Canvas(), sized like the control and at first filled with
// the button face. A window of the window's thread, owned by its form; any thread may draw on the canvas,
// and the form's next frame repaints it on the window's thread.
class TImage : public TControl {
public:
    TImage(TForm* Owner, int Id);

    TCanvas* Canvas();
    // What screen readers call the image: its window's text.
    void SetAccessibleName(const std::string& Value);
    // The canvas takes the control's size.
    void SetBounds(const TRect& Bounds) override;

private:
    friend struct TImageClass;
    void Frame() override;
    void Paint(HDC__* Target);

    TCanvas FCanvas;
    std::atomic<bool> FChanged{false};
};

#include "TImage.h"

#include "SystemUi.h"
#include "TForm.h"

namespace {

std::uint32_t ButtonFace()
{
    const COLORREF colour = GetSysColor(COLOR_BTNFACE);
    return std::uint32_t(GetRValue(colour)) << 16 | std::uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
}

}  // namespace

struct TImageClass {
    static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
    {
        auto* image = reinterpret_cast<TImage*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
        switch (Message) {
        case WM_ERASEBKGND:
            // The picture covers the whole control: erasing first would only make it flicker.
            return 1;
        case WM_PAINT:
            if (image) {
                PAINTSTRUCT paint;
                image->Paint(BeginPaint(Window, &paint));
                EndPaint(Window, &paint);
                return 0;
            }
            break;
        case WM_PRINTCLIENT:
            // What the control shows, drawn where another program (or a test) asks for it.
            if (image) {
                image->Paint(reinterpret_cast<HDC>(WParam));
                return 0;
            }
            break;
        }
        return DefWindowProcW(Window, Message, WParam, LParam);
    }
};

void RegisterImageClass()
{
    RegisterWindowClass(L"TImage", TImageClass::WindowProc, nullptr);
}

TImage::TImage(TForm* Owner, int Id) : TControl(Owner, Id, L"TImage", 0), FCanvas(ButtonFace())
{
    FCanvas.FOnChange = [this] {
        FChanged = true;
        Form()->RequestFrame();
    };
}

TCanvas* TImage::Canvas()
{
    return &FCanvas;
}

void TImage::SetAccessibleName(const std::string& Value)
{
    SetText(Widen(Value));
}

void TImage::SetBounds(const TRect& Bounds)
{
    TControl::SetBounds(Bounds);
    FCanvas.Fit(Bounds.Right - Bounds.Left, Bounds.Bottom - Bounds.Top);
}

void TImage::Frame()
{
    if (!FChanged.exchange(false) || !IsWindowVisible(Handle()))
        return;
    // Drawn straight into the window, rather than invalidated for the system to ask for a paint: under wine
    // the paint message's round costs the window's thread six calls to its server a frame, the draw none.
    const HDC target = GetDC(Handle());
    Paint(target);
    ReleaseDC(Handle(), target);
}

void TImage::Paint(HDC__* Target)
{
    // Each step straight from its picture, as the system draws a bitmap, rather than composed into a frame first:
    // one copy of the view's pixels a frame, not two.
    const TCanvas::TShown shown = FCanvas.Shown();
    for (const TCanvas::TDrawStep& step : shown.Steps) {
        const TRect& dest = step.Dest;
        const int width = dest.Right - dest.Left, height = dest.Bottom - dest.Top;
        if (!step.From) {
            const RECT area{dest.Left, dest.Top, dest.Right, dest.Bottom};
            const std::uint32_t colour = shown.Background;
            SetDCBrushColor(Target, RGB(colour >> 16 & 0xFF, colour >> 8 & 0xFF, colour & 0xFF));
            FillRect(Target, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            continue;
        }
        // Given as a picture of just the rows shown, whose source row is then 0 whether the system counts rows
        // from the top of a top-down picture or, as wine does, from its bottom.
        const TCanvas::TPixels& from = *step.From;
        BITMAPINFO format{};
        format.bmiHeader = {sizeof(BITMAPINFOHEADER), from.Width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        StretchDIBits(Target, dest.Left, dest.Top, width, height, step.FromLeft, 0, width, height,
            from.Data.data() + std::size_t(step.FromTop) * from.Width, &format, DIB_RGB_COLORS, SRCCOPY);
    }
}

#include "TLabel.h"

#include "SystemUi.h"
#include "TForm.h"

TLabel::TLabel(TForm* Owner, int Id) : TControl(Owner, Id, WC_STATICW, SS_OWNERDRAW) {}

TLabel::~TLabel()
{
    FreeBuffer();
}

std::string TLabel::Caption() const
{
    std::lock_guard lock(FLock);
    return FCaption;
}

void TLabel::SetCaption(std::string_view Value)
{
    {
        std::lock_guard lock(FLock);
        FCaption.assign(Value);
    }
    FChanged = true;
    Form()->RequestFrame();
}

void TLabel::SetBuddy(const TControl* Control)
{
    const HWND before = GetWindow(Control->Handle(), GW_HWNDPREV);
    if (before != Handle())
        SetWindowPos(Handle(), before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TLabel::Frame()
{
    if (!FChanged.exchange(false))
        return;
    {
        std::lock_guard lock(FLock);
        if (FShown == FCaption)
            return;
        FShown.assign(FCaption);
    }
    // The window's text is what the system and screen readers read; setting it repaints the control.
    SetText(Widen(FShown));
}

void TLabel::DrawItem(const void* Item)
{
    const auto& item = *static_cast<const DRAWITEMSTRUCT*>(Item);
    const RECT& area = item.rcItem;
    const int width = area.right - area.left, height = area.bottom - area.top;
    // Kept from one frame to the next: making a device context and a bitmap costs more than drawing the caption
    // in them (under wine, six calls to its server a frame).
    if (!FBufferDC || width != FBufferWidth || height != FBufferHeight) {
        FreeBuffer();
        FBufferDC = CreateCompatibleDC(item.hDC);
        FBuffer = CreateCompatibleBitmap(item.hDC, width, height);
        SelectObject(FBufferDC, FBuffer);
        SelectObject(FBufferDC, DialogFont());
        SetBkMode(FBufferDC, TRANSPARENT);
        FBufferWidth = width;
        FBufferHeight = height;
    }
    RECT box{0, 0, width, height};
    FillRect(FBufferDC, &box, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(FBufferDC, GetSysColor(IsWindowEnabled(item.hwndItem) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    const std::wstring text = Text();
    DrawTextW(FBufferDC, text.c_str(), int(text.size()), &box, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    BitBlt(item.hDC, area.left, area.top, width, height, FBufferDC, 0, 0, SRCCOPY);
}

void TLabel::FreeBuffer()
{
    // The bitmap is no longer selected once its context is gone, and may then be deleted.
    if (FBufferDC) {
        DeleteDC(FBufferDC);
        DeleteObject(FBuffer);
    }
}

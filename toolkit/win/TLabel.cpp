#include "TLabel.h"

#include "SystemUi.h"
#include "TForm.h"

TLabel::TLabel(TForm* Owner, int Id) : TControl(Owner, Id, WC_STATICW, SS_OWNERDRAW) {}

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
    const HDC memory = CreateCompatibleDC(item.hDC);
    const HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
    const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    const HGDIOBJ oldFont = SelectObject(memory, DialogFont());
    RECT box{0, 0, width, height};
    FillRect(memory, &box, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, GetSysColor(IsWindowEnabled(item.hwndItem) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    const std::wstring text = Text();
    DrawTextW(memory, text.c_str(), int(text.size()), &box, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    BitBlt(item.hDC, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

#include "TControl.h"

#include "SysUtils.h"
#include "SystemUi.h"
#include "TForm.h"

#include <string>

TControl::TControl(TForm* Owner, int Id, const wchar_t* ClassName, unsigned long Style, unsigned long ExStyle)
    : TComponent(Owner), FForm(Owner),
      // Each control starts a group of its own, as a dialog's do, unless a radio button joins its neighbour's.
      // Its id comes after the system's own (IDOK 1 to IDCONTINUE 11): the dialog manager sends Enter as a click
      // of the control IDOK and Esc as one of IDCANCEL.
      FHandle(CreateWindowExW(ExStyle, ClassName, L"", WS_CHILD | WS_VISIBLE | WS_GROUP | Style, 0, 0, 0, 0,
          Owner->Handle(), reinterpret_cast<HMENU>(INT_PTR(IDCONTINUE + Id)), GetModuleHandleW(nullptr), nullptr))
{
    if (!FHandle)
        throw Exception("Cannot make a control of class " + Narrow(ClassName) + " (error "
                        + std::to_string(GetLastError()) + ").");
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    FForm->FControls.push_back(this);
}

TControl::~TControl()
{
    std::erase(FForm->FControls, this);
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
}

TWindowHandle TControl::Handle() const
{
    return FHandle;
}

void TControl::SetBounds(const TRect& Bounds)
{
    MoveWindow(FHandle, Bounds.Left, Bounds.Top, Bounds.Right - Bounds.Left, Bounds.Bottom - Bounds.Top, TRUE);
}

bool TControl::Enabled() const
{
    return IsWindowEnabled(FHandle);
}

void TControl::SetEnabled(bool Value)
{
    EnableWindow(FHandle, Value);
}

TForm* TControl::Form() const
{
    return FForm;
}

void TControl::SetText(const std::wstring& Text)
{
    SetWindowTextW(FHandle, Text.c_str());
}

std::wstring TControl::Text() const
{
    std::wstring text(GetWindowTextLengthW(FHandle) + 1, L'\0');
    text.resize(GetWindowTextW(FHandle, text.data(), int(text.size())));
    return text;
}

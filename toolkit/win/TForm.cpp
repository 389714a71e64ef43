#include "TForm.h"

#include "ScreenTiming.h"
#include "SysUtils.h"
#include "SystemUi.h"
#include "TApplication.h"
#include "TControl.h"
#include "TTimer.h"

#include <algorithm>

namespace {

constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_CONTROLPARENT;
constexpr UINT_PTR FrameTimer = 1;

// The outer size of a window whose client area is Width x Height, at the window's own density, whose frame the
// system draws to match. Windows before 10 (1607) lack both calls, and draw every frame at the system's
// density, which is what AdjustWindowRectEx allows for: looked up, so that the program still starts there.
SIZE OuterSize(HWND Window, int Width, int Height)
{
    using DpiForWindow = UINT(WINAPI*)(HWND);
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    static const auto dpiForWindow =
        reinterpret_cast<DpiForWindow>(reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")));
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpi>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "AdjustWindowRectExForDpi")));
    RECT outer{0, 0, Width, Height};
    if (dpiForWindow && adjustForDpi)
        adjustForDpi(&outer, FormStyle, FALSE, FormExStyle, dpiForWindow(Window));
    else
        AdjustWindowRectEx(&outer, FormStyle, FALSE, FormExStyle);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace

struct TFormClass {
    static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
    {
        auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
        return form ? form->Receive(Message, WParam, LParam) : DefWindowProcW(Window, Message, WParam, LParam);
    }
};

void RegisterFormClass()
{
    RegisterWindowClass(L"TForm", TFormClass::WindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

TForm::TForm(TComponent* Owner)
    : TComponent(Owner), FHandle(CreateWindowExW(FormExStyle, L"TForm", L"", FormStyle, CW_USEDEFAULT,
                             CW_USEDEFAULT, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)),
      FFrames({ScreenClockNs, ScreenRefresh,
          // Posted, never sent: a tick must not wait for the window's thread, which may be waiting for the tick.
          [this] { return PostMessageW(FHandle, WM_FRAME_REQUEST, 0, 0) != FALSE; },
          [this](std::int64_t AtNs) { HoldFrame(AtNs); }, [this] { KillTimer(FHandle, FrameTimer); },
          [this] {
              for (TControl* control : FControls)
                  control->Frame();
          },
          [this] { return IsWindowVisible(FHandle) != FALSE; }})
{
    if (!FHandle)
        throw Exception("Cannot make a window (error " + std::to_string(GetLastError()) + ").");
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TForm::~TForm()
{
    // The controls first, while their parent window is there to hold them.
    DestroyComponents();
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
}

TWindowHandle TForm::Handle() const
{
    return FHandle;
}

void TForm::SetCaption(const std::string& Value)
{
    SetWindowTextW(FHandle, Widen(Value).c_str());
}

void TForm::SetClientSize(int Width, int Height)
{
    FClientWidth = Width;
    FClientHeight = Height;
    Place();
}

void TForm::SetIcon(int Id)
{
    for (const auto& [which, size] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
        const int pixels = GetSystemMetrics(size);
        // Shared: the system keeps the icon for the process's life.
        if (HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(Id), IMAGE_ICON, pixels, pixels,
                LR_SHARED))
            SendMessageW(FHandle, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

void TForm::SetDoubleBuffered(bool /*Value*/) {}

void TForm::SetTabOrder(std::initializer_list<TControl*> Controls)
{
    const TControl* previous = nullptr;
    for (const TControl* control : Controls) {
        if (previous)
            SetWindowPos(control->Handle(), previous->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control;
    }
}

void TForm::Show()
{
    Place();
    ShowWindow(FHandle, SW_SHOW);
    UpdateWindow(FHandle);
    SetFocus(FirstTabStop());
}

void TForm::Place()
{
    const SIZE outer = OuterSize(FHandle, FClientWidth, FClientHeight);
    SetWindowPos(FHandle, nullptr, (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::RequestFrame()
{
    FFrames.Request();
}

void TForm::HoldFrame(std::int64_t AtNs)
{
    // The system's timer repeats until it is set anew or killed, which the frame request always does when it fires.
    SetTimer(FHandle, FrameTimer, WholeMsUntil(AtNs, ScreenClockNs()), nullptr);
}

void TForm::Close()
{
    // Hidden, not destroyed: the form and its controls live until the application deletes them.
    ShowWindow(FHandle, SW_HIDE);
    if (Application && Application->MainForm() == this)
        PostQuitMessage(0);
}

TWindowHandle TForm::FirstTabStop() const
{
    for (HWND child = GetWindow(FHandle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE))
            return child;
    return nullptr;
}

std::intptr_t TForm::Receive(unsigned Message, std::uintptr_t WParam, std::intptr_t LParam)
{
    const auto control = [](LPARAM Window) {
        return reinterpret_cast<TControl*>(GetWindowLongPtrW(reinterpret_cast<HWND>(Window), GWLP_USERDATA));
    };
    switch (Message) {
    case WM_COMMAND:
        if (TControl* sender = LParam ? control(LParam) : nullptr)
            sender->Command(HIWORD(WParam));
        return 0;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(LParam);
        if (TControl* target = control(reinterpret_cast<LPARAM>(item->hwndItem)))
            target->DrawItem(item);
        return TRUE;
    }
    case WM_TIMER:
        if (WParam == FrameTimer) {
            FFrames.Due();
        } else {
            const auto timer = std::find_if(FTimers.begin(), FTimers.end(),
                [WParam](const TTimer* timer) { return reinterpret_cast<UINT_PTR>(timer) == WParam; });
            if (timer != FTimers.end())
                (*timer)->Tick();
        }
        return 0;
    case WM_FRAME_REQUEST:
        FFrames.Received();
        return 0;
    case WM_HANDLER_FAILED:
        Application->EndLoopForError();
        return 0;
    case WM_ACTIVATE:
        // Focus goes back where it was when the window is activated again, as in a dialog.
        if (LOWORD(WParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(FHandle, focus))
                FFocus = focus;
        } else {
            SetFocus(FFocus && IsWindow(FFocus) ? FFocus : FirstTabStop());
        }
        return 0;
    case WM_DPICHANGED: {
        // On a monitor of another density the system draws the frame anew, at its size there: the client area
        // stays as laid out, unscaled, where the system suggests the window go.
        const auto* suggested = reinterpret_cast<const RECT*>(LParam);
        const SIZE outer = OuterSize(FHandle, FClientWidth, FClientHeight);
        SetWindowPos(FHandle, nullptr, suggested->left, suggested->top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        Close();
        return 0;
    default:
        return DefWindowProcW(FHandle, Message, WParam, LParam);
    }
}

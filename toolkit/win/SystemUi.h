#pragma once

// The system's user-interface headers, for this backend's sources only: the classes' own headers name
// window handles through WindowHandle.h, so that the window's code does not see the system's macros.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

// The toolkit's texts are UTF-8; the system's are UTF-16.
std::wstring Widen(std::string_view Text);
std::string Narrow(std::wstring_view Text);

// The controls' font, made once for the process and kept for its life.
HFONT DialogFont();

// Messages a form posts to itself.
constexpr UINT WM_FRAME_REQUEST = WM_APP;
constexpr UINT WM_HANDLER_FAILED = WM_APP + 1;

// The window classes of ours, registered once by the application's Initialize.
void RegisterFormClass();
void RegisterImageClass();
// Registers one of them in this module, with the arrow cursor; raises an Exception when the system refuses.
void RegisterWindowClass(const wchar_t* Name, WNDPROC Procedure, HBRUSH Background);

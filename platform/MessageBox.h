#pragma once

// Modal error box with a single OK button for code that has no window of its own.
// Any thread may call it; it returns once the box is dismissed. Callers include
// SystemServices.h, which stands the system's own box in its place on Windows.

#include <functional>
#include <string_view>

// The system's box takes an owner window and a type. Here there are no windows to own
// a box, and the one type is a box with an OK button, modal to the whole program, as the
// system's is without an owner when asked (MB_TASKMODAL), which changes nothing here.
using HWND = void*;
inline constexpr unsigned MB_OK = 0;
inline constexpr unsigned MB_TASKMODAL = 0x2000;
inline constexpr int IDOK = 1;

// Returns IDOK once the box is dismissed; for any other type it shows nothing and
// returns 0. With a QApplication the box shows on the application's thread; without
// one the caption and text go to standard error.
int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type);

// Sends every later box to `hook` instead, so tests never block on a real box.
// An empty function restores the real box.
using MessageBoxHook = std::function<void(std::string_view text, std::string_view caption)>;
void SetMessageBoxHook(MessageBoxHook hook);

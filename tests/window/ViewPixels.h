#pragma once

// Reading back what a window's image control shows, for the Windows tests of the window.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

// 0x00RRGGBB, top row first.
using ViewPixels = std::vector<std::uint32_t>;

// Width x Height pixels of Window: what the screen shows of it, or, with Printed, what the control draws when
// asked to print itself (WM_PRINTCLIENT), shown or not.
inline ViewPixels ReadView(HWND Window, int Width, int Height, bool Printed)
{
    ViewPixels pixels(std::size_t(Width) * Height);
    const HDC window = GetDC(Window);
    const HDC memory = CreateCompatibleDC(window);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(window, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    if (Printed)
        SendMessageW(Window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    else
        BitBlt(memory, 0, 0, Width, Height, window, 0, 0, SRCCOPY);
    GdiFlush();
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<const std::uint32_t*>(bits)[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(Window, window);
    return pixels;
}

inline std::uint32_t ButtonFace()
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    return std::uint32_t(GetRValue(face)) << 16 | std::uint32_t(GetGValue(face)) << 8 | GetBValue(face);
}

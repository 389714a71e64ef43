// The least Windows program that shows the same motion, as the yardstick for the Windows program's CPU use:
//   scroll_win_baseline MS
// Ticks of timeSetEvent every MS milliseconds advance a position one pixel; a 16 ms WM_TIMER on the window's
// thread invalidates when it changed; WM_PAINT draws the view straight from BG.bmp and the status line, each
// where resources/Unit1.ui places them. Runs in a folder holding BG.bmp; ends when its window is closed.

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int ClientWidth = 818, ClientHeight = 412;
constexpr RECT View{8, 8, 8 + 800, 8 + 356};
constexpr RECT Status{584, 376, 584 + 225, 376 + 17};
constexpr UINT_PTR FrameTimer = 1;

struct Picture {
    BITMAPINFO info{};
    std::vector<char> bits;
};

// BG.bmp's pixels as the file holds them: 24 or 32 bits a pixel, uncompressed, as the sample is. Empty where
// the file is not such a picture or cannot fill the view.
Picture ReadPicture()
{
    std::ifstream in("BG.bmp", std::ios::binary);
    const std::vector<char> file{std::istreambuf_iterator<char>(in), {}};
    BITMAPFILEHEADER header;
    Picture picture;
    BITMAPINFOHEADER& format = picture.info.bmiHeader;
    if (file.size() < sizeof header + sizeof format)
        return {};
    std::memcpy(&header, file.data(), sizeof header);
    std::memcpy(&format, file.data() + sizeof header, sizeof format);
    format.biSize = sizeof format;  // its later versions' fields are not needed
    const long long rows = std::llabs(static_cast<long long>(format.biHeight));
    const long long stride = (static_cast<long long>(format.biWidth) * format.biBitCount + 31) / 32 * 4;
    if (format.biCompression != BI_RGB || (format.biBitCount != 24 && format.biBitCount != 32) ||
        format.biWidth < View.right - View.left || rows < View.bottom - View.top ||
        header.bfOffBits > file.size() || stride * rows > static_cast<long long>(file.size() - header.bfOffBits))
        return {};
    picture.bits.assign(file.begin() + header.bfOffBits, file.end());
    return picture;
}

Picture Background;
HFONT Font;
std::atomic<int> Left{0};
int Shown = 0;  // the window's thread's alone

void CALLBACK Tick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    const int cycle = Background.info.bmiHeader.biWidth - 799;
    Left.store((Left.load(std::memory_order_relaxed) + 1) % cycle, std::memory_order_relaxed);
}

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    Shown = Left.load(std::memory_order_relaxed);
    const int width = View.right - View.left, height = View.bottom - View.top;
    // A bottom-up picture counts its rows from the bottom: the view shows its top rows.
    const int rows = Background.info.bmiHeader.biHeight;
    StretchDIBits(dc, View.left, View.top, width, height, Shown, rows > 0 ? rows - height : 0, width, height,
        Background.bits.data(), &Background.info, DIB_RGB_COLORS, SRCCOPY);
    const std::wstring text = L"SourceRect.Left = " + std::to_wstring(Shown);
    RECT status = Status;
    SelectObject(dc, Font);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), int(text.size()), &status, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (Left.load(std::memory_order_relaxed) != Shown) {
            InvalidateRect(window, &View, FALSE);
            InvalidateRect(window, &Status, TRUE);
        }
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    const int interval = std::atoi(arguments);
    Background = ReadPicture();
    if (interval <= 0 || Background.bits.empty())
        return 2;
    // The program's status line font: the layout's 13 pixels in the dialog face.
    Font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"LeastScroll";
    RegisterClassW(&windowClass);
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRect(&outer, style, FALSE);
    // Titled as the program's: the window manager draws the same, and bench/wine.sh finds either by it.
    const HWND window = CreateWindowW(L"LeastScroll", L"Form1", style, CW_USEDEFAULT, CW_USEDEFAULT,
        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOW);
    SetTimer(window, FrameTimer, 16, nullptr);
    timeBeginPeriod(1);
    const MMRESULT event = timeSetEvent(UINT(interval), 1, Tick, 0, TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    timeKillEvent(event);
    timeEndPeriod(1);
    return 0;
}

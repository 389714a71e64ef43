// The least Windows program that shows the same motion, as the yardstick for the Windows program's CPU use:
//   scroll_win_baseline MS
// timeSetEvent ticks every MS milliseconds and advance a position one pixel; a 16 ms WM_TIMER on the window's
// thread invalidates when it changed; WM_PAINT draws the view straight from BG.bmp and the status line, each
// where resources/Unit1.ui places them. Runs in a folder holding BG.bmp; ends when its window is closed.

#include <windows.h>

#include <atomic>
#include <cstdlib>
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
    std::vector<char> file;
    const BITMAPINFO* info = nullptr;
    const void* bits = nullptr;
    int width = 0;
    int height = 0;  // negative: top-down rows
};

// BG.bmp as the file holds it, uncompressed; empty where it cannot show the view.
Picture ReadPicture()
{
    Picture picture;
    std::ifstream in("BG.bmp", std::ios::binary);
    picture.file.assign(std::istreambuf_iterator<char>(in), {});
    const std::size_t size = picture.file.size();
    if (size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))
        return {};
    const auto* header = reinterpret_cast<const BITMAPFILEHEADER*>(picture.file.data());
    picture.info = reinterpret_cast<const BITMAPINFO*>(picture.file.data() + sizeof(BITMAPFILEHEADER));
    const BITMAPINFOHEADER& format = picture.info->bmiHeader;
    picture.width = format.biWidth;
    picture.height = format.biHeight;
    const long long rows = std::llabs(picture.height);
    const long long stride = (static_cast<long long>(picture.width) * format.biBitCount + 31) / 32 * 4;
    if (format.biCompression != BI_RGB || picture.width < View.right - View.left || rows < View.bottom - View.top ||
        header->bfOffBits > size || stride * rows > static_cast<long long>(size - header->bfOffBits))
        return {};
    picture.bits = picture.file.data() + header->bfOffBits;
    return picture;
}

Picture Background;
HFONT Font;
std::atomic<int> Left{0};
int Shown = 0;  // the window's thread's alone

void CALLBACK Tick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    Left.store((Left.load(std::memory_order_relaxed) + 1) % (Background.width - 799), std::memory_order_relaxed);
}

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    Shown = Left.load(std::memory_order_relaxed);
    const int width = View.right - View.left, height = View.bottom - View.top;
    // A bottom-up picture counts its rows from the bottom: the view shows its top rows.
    const int bottom = Background.height > 0 ? Background.height - height : 0;
    StretchDIBits(dc, View.left, View.top, width, height, Shown, bottom, width, height, Background.bits,
        Background.info, DIB_RGB_COLORS, SRCCOPY);
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
    if (interval <= 0 || !Background.bits)
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

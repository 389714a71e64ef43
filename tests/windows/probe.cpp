// Reads the program's window "Form1" through the system, as another program on the same desktop sees it,
// for the end-to-end driver (scenarios.sh): one "key value..." line per fact, the text last on its line.
// Usage: probe show [PICTURE.bmp]   the window, its controls, and with PICTURE the view's left edge in it
//        probe close                asks the window to close as a user would (the system menu's Close)

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int ViewWidth = 800;
constexpr int ViewHeight = 356;

std::string Utf8(const std::wstring& text)
{
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
        static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

// WM_GETTEXT, not GetWindowText: the latter does not ask another process's edit field for its text.
std::string Text(HWND window)
{
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
        5000, &copied);
    return Utf8(text);
}

std::string ClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, std::size(name));
    return Utf8(name);
}

// Top-down 32-bit pixels, 0x00RRGGBB.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> data;
    DWORD At(int x, int y) const { return data[static_cast<size_t>(y) * width + x] & 0xffffff; }
};

Pixels Read(HDC dc, HBITMAP bitmap, int width, int height)
{
    Pixels pixels{width, height, std::vector<DWORD>(static_cast<size_t>(width) * height)};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    if (GetDIBits(dc, bitmap, 0, height, pixels.data.data(), &info, DIB_RGB_COLORS) != height)
        pixels.data.clear();
    return pixels;
}

Pixels LoadPicture(const char* path)
{
    // A full path: given a bare name, the system's reader looks beside the program before the current folder.
    char full[MAX_PATH];
    if (!GetFullPathNameA(path, MAX_PATH, full, nullptr))
        return {};
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, full, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap)
        return {};
    BITMAP header{};
    GetObject(bitmap, sizeof header, &header);
    HDC screen = GetDC(nullptr);
    Pixels pixels = Read(screen, bitmap, header.bmWidth, header.bmHeight);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return pixels;
}

// What the screen shows in the view's rectangle.
Pixels Capture(const RECT& view)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, ViewWidth, ViewHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, ViewWidth, ViewHeight, screen, view.left, view.top, SRCCOPY);
    SelectObject(memory, old);
    Pixels pixels = Read(memory, bitmap, ViewWidth, ViewHeight);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool ShowsFrom(const Pixels& picture, const Pixels& shown, int left)
{
    for (int y = 0; y < ViewHeight; ++y)
        for (int x = 0; x < ViewWidth; ++x)
            if (shown.At(x, y) != picture.At(left + x, y))
                return false;
    return true;
}

// "view L": the picture's columns L..L+799 are what the view shows, exactly; "view none" otherwise.
void PrintView(HWND form, const char* path)
{
    HWND image = FindWindowExW(form, nullptr, L"TImage", nullptr);
    const Pixels picture = LoadPicture(path);
    if (!image || picture.data.empty() || picture.width < ViewWidth || picture.height < ViewHeight) {
        std::printf("view unreadable\n");
        return;
    }
    RECT view;
    GetWindowRect(image, &view);
    const Pixels shown = Capture(view);
    for (int left = 0; !shown.data.empty() && left + ViewWidth <= picture.width; ++left)
        if (ShowsFrom(picture, shown, left)) {
            std::printf("view %d\n", left);
            return;
        }
    std::printf("view none\n");
}

void PrintForm(HWND form)
{
    RECT client, outer;
    GetClientRect(form, &client);
    GetWindowRect(form, &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int dx = (outer.left - work.left) - (work.right - outer.right);
    const int dy = (outer.top - work.top) - (work.bottom - outer.bottom);
    const auto style = GetWindowLongPtrW(form, GWL_STYLE);
    std::printf("client %ld %ld\n", client.right, client.bottom);
    std::printf("outer %ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top);
    std::printf("workarea %ld %ld %ld %ld\n", work.left, work.top, work.right - work.left, work.bottom - work.top);
    std::printf("centred %d\n", std::abs(dx) <= 2 && std::abs(dy) <= 2);
    std::printf("maximizebox %d\n", (style & WS_MAXIMIZEBOX) != 0);
    std::printf("thickframe %d\n", (style & WS_THICKFRAME) != 0);

    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gui);
    std::printf("focus %d\n", gui.hwndFocus ? GetDlgCtrlID(gui.hwndFocus) : 0);

    // child ID CLASS X Y WIDTH HEIGHT ENABLED TABSTOP GROUP CHECKED TEXT (CHECKED: 0, 1, or - if no radio button)
    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
        const auto childStyle = GetWindowLongPtrW(child, GWL_STYLE);
        const std::string kind = ClassOf(child);
        const auto type = childStyle & BS_TYPEMASK;
        const bool radio =
            lstrcmpiA(kind.c_str(), "Button") == 0 && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
        const LRESULT checked = radio ? SendMessageW(child, BM_GETCHECK, 0, 0) : 0;
        std::printf("child %d %s %ld %ld %ld %ld %d %d %d %s %s\n", GetDlgCtrlID(child), kind.c_str(), rect.left,
            rect.top, rect.right - rect.left, rect.bottom - rect.top, IsWindowEnabled(child) ? 1 : 0,
            (childStyle & WS_TABSTOP) != 0, (childStyle & WS_GROUP) != 0,
            radio ? (checked == BST_CHECKED ? "1" : "0") : "-", Text(child).c_str());
    }
}

// The visible top-level windows titled Form1; the first is the one probed.
HWND FindForm(int& count)
{
    HWND first = nullptr;
    count = 0;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, L"Form1"));)
        if (IsWindowVisible(window) && count++ == 0)
            first = window;
    return first;
}

}  // namespace

int main(int argc, char** argv)
{
    // Lines end in "\n" alone, for the shell that reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string command = argc > 1 ? argv[1] : "";
    if (!(command == "show" && argc <= 3) && !(command == "close" && argc == 2)) {
        std::fprintf(stderr, "usage: probe show [PICTURE.bmp] | probe close\n");
        return 2;
    }
    int count = 0;
    HWND form = FindForm(count);
    std::printf("windows %d\n", count);
    if (!form)
        return 1;
    if (command == "close")
        return PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    PrintForm(form);
    if (argc == 3)
        PrintView(form, argv[2]);
    return 0;
}

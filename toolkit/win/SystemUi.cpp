#include "SystemUi.h"

#include "SysUtils.h"

std::wstring Widen(std::string_view Text)
{
    if (Text.empty())
        return {};
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, Text.data(), int(Text.size()), nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, Text.data(), int(Text.size()), wide.data(), int(wide.size()));
    return wide;
}

std::string Narrow(std::wstring_view Text)
{
    if (Text.empty())
        return {};
    std::string narrow(WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), narrow.data(), int(narrow.size()), nullptr, nullptr);
    return narrow;
}

HFONT DialogFont()
{
    // The layout's pixel font: 13 pixels high at any density, the dialog face the controls were laid out with.
    static const HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    return font;
}

void RegisterWindowClass(const wchar_t* Name, WNDPROC Procedure, HBRUSH Background)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = Background;
    windowClass.lpszClassName = Name;
    if (!RegisterClassExW(&windowClass))
        throw Exception("Cannot register the window class " + Narrow(Name) + " (error "
                        + std::to_string(GetLastError()) + ").");
}

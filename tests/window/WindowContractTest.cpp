// The window over the system's own controls, read back through the system as other programs see it: the
// layout's controls, the first frame's pixels, the scroll step, and how often frames are shown. Needs a
// display (run under Xvfb); one application object for all cases, on the test's thread.

#include "BmpFile.h"
#include "CopySequences.h"
#include "SmallBitmaps.h"
#include "TApplication.h"
#include "Unit1.h"
#include "ViewPixels.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <dwmapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The pattern the Linux window tests use: every column differs from its neighbours.
std::uint32_t ColumnPixel(int x, int y)
{
    return std::uint32_t(x & 0xff) << 16 | std::uint32_t(((x >> 8) * 40 + y) & 0xff) << 8 | std::uint32_t((y * 3) & 0xff);
}

// Runs the message loop until Done holds; false after a generous bound, never a speed check.
bool ProcessUntil(const std::function<bool()>& Done, std::chrono::milliseconds Bound = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + Bound;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (Done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void ProcessFor(std::chrono::milliseconds Time)
{
    ProcessUntil([] { return false; }, Time);
}

std::string WindowText(HWND Window)
{
    char text[256] = {};
    GetWindowTextA(Window, text, sizeof text);
    return text;
}

RECT ClientRectOf(HWND Control)
{
    RECT rect;
    GetWindowRect(Control, &rect);
    MapWindowPoints(nullptr, GetParent(Control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// How far right and down the glyphs of Text reach, drawn from 0,0 in Font: the pixels a control must hold
// for its caption to be whole (an advance past the last glyph's ink is no part of it).
SIZE InkOf(HFONT Font, const std::wstring& Text)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, Font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, Text.c_str(), int(Text.size()), &extent);
    // Room for glyphs that overhang their advance.
    const int width = extent.cx + 16, height = extent.cy + 16;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 0, 0, Text.c_str(), int(Text.size()));
    GdiFlush();
    SIZE ink{0, 0};
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[std::size_t(y) * width + x] & 0xffffff) != 0xffffff)
                ink = {std::max<LONG>(ink.cx, x + 1), std::max<LONG>(ink.cy, y + 1)};
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

class WindowContract : public testing::Test {
protected:
    void SetUp() override
    {
        Folder = std::filesystem::temp_directory_path() / ("window-contract-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(Folder);
        std::filesystem::current_path(Folder);
    }
    void TearDown() override
    {
        Form.reset();
        std::filesystem::current_path(Folder.parent_path());
        std::filesystem::remove_all(Folder);
    }

    void MakeWindow(int Width, int Height)
    {
        Width_ = Width;
        Height_ = Height;
        WriteBmpFile(Folder / "BG.bmp", Width, Height, ColumnPixel);
        Form = std::make_unique<TForm1>(nullptr);
    }
    void Show()
    {
        Form->Show();
        ASSERT_TRUE(ProcessUntil([this] { return IsWindowVisible(Form->Handle()) && !GetUpdateRect(Image(), nullptr, FALSE); }));
        ProcessFor(std::chrono::milliseconds(100));
    }
    HWND Image() const { return Form->Image1->Handle(); }
    int ShownLeft() const { return std::stoi(WindowText(Form->Label1->Handle()).substr(std::string("SourceRect.Left = ").size())); }

    // The view from column Left of the picture, and the button face past its edges.
    ViewPixels ExpectedView(int Left) const
    {
        ViewPixels view(800 * 356, ButtonFace());
        for (int y = 0; y < std::min(Height_, 356); ++y)
            for (int x = 0; x < std::min(Width_ - Left, 800); ++x)
                view[std::size_t(y) * 800 + x] = ColumnPixel(x + Left, y);
        return view;
    }
    // "" when the screen shows the picture from column Left.
    std::string ScreenDifference(int Left) const { return Difference(ReadView(Image(), 800, 356, false), ExpectedView(Left)); }
    static std::string Difference(const ViewPixels& Shown, const ViewPixels& Expected, int Width = 800)
    {
        for (std::size_t i = 0; i < Expected.size(); ++i)
            if (Shown[i] != Expected[i]) {
                char where[96];
                std::snprintf(where, sizeof where, "at %d,%d: shown %06x, expected %06x", int(i % Width),
                    int(i / Width), unsigned(Shown[i]), unsigned(Expected[i]));
                return where;
            }
        return "";
    }

    std::filesystem::path Folder;
    std::unique_ptr<TForm1> Form;
    int Width_ = 0;
    int Height_ = 0;
};

struct ControlRow {
    const char* Name;
    int Place;  // in the layout, counted from 1
    const char* Class;
    RECT Rect;
    const char* Text;
    LONG Styles;  // of WS_TABSTOP, WS_GROUP and the button's type
    bool Checked;
};

void PrintTo(const ControlRow& row, std::ostream* out)
{
    *out << row.Name;
}

class Controls : public WindowContract, public testing::WithParamInterface<ControlRow> {};

TEST_P(Controls, StandAtTheLayoutsPixelsWithTheirTextAndStyles)
{
    const ControlRow& row = GetParam();
    MakeWindow(1000, 356);
    ASSERT_TRUE(ProcessUntil([this] { return WindowText(Form->Label1->Handle()) == "SourceRect.Left = 0"; }));
    // The system's own ids come first.
    const HWND control = GetDlgItem(Form->Handle(), IDCONTINUE + row.Place);
    ASSERT_NE(control, nullptr);
    char className[64] = {};
    GetClassNameA(control, className, sizeof className);
    EXPECT_STREQ(className, row.Class);
    const RECT rect = ClientRectOf(control);
    EXPECT_EQ(std::vector<LONG>({rect.left, rect.top, rect.right, rect.bottom}),
        std::vector<LONG>({row.Rect.left, row.Rect.top, row.Rect.right, row.Rect.bottom}));
    EXPECT_EQ(WindowText(control), row.Text);
    EXPECT_TRUE(IsWindowEnabled(control));
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    EXPECT_EQ(style & (WS_TABSTOP | WS_GROUP), row.Styles & (WS_TABSTOP | WS_GROUP));
    if (std::string(row.Class) == "Button") {
        EXPECT_EQ(style & BS_TYPEMASK, row.Styles & BS_TYPEMASK);
        EXPECT_EQ(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED, row.Checked);
    }
}

INSTANTIATE_TEST_SUITE_P(Form1, Controls,
    testing::Values(ControlRow{"Image1", 1, "TImage", {8, 8, 808, 364}, "View of BG.bmp", WS_GROUP, false},
        ControlRow{"Label1", 2, "Static", {584, 376, 809, 393}, "SourceRect.Left = 0", WS_GROUP, false},
        ControlRow{"Label2", 3, "Static", {368, 376, 440, 392}, "Interval (ms)", WS_GROUP, false},
        ControlRow{"Button1", 4, "Button", {8, 368, 97, 401}, "START", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, false},
        ControlRow{"RadioButton1", 5, "Button", {136, 376, 201, 393}, "Timer",
            WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, true},
        ControlRow{"RadioButton2", 6, "Button", {208, 376, 337, 393}, "Multimedia Timer", BS_AUTORADIOBUTTON, false},
        ControlRow{"Edit1", 7, "Edit", {448, 376, 497, 400}, "10", WS_GROUP | WS_TABSTOP, false}),
    [](const auto& info) { return info.param.Name; });

struct DialogKeyRow {
    const char* Name;
    int ButtonPlace;  // in the layout, counted from 1
    WPARAM Key;
};

void PrintTo(const DialogKeyRow& row, std::ostream* out)
{
    *out << row.Name;
}

class DialogKeys : public WindowContract, public testing::WithParamInterface<DialogKeyRow> {};

// The application's loop hands every key to the dialog manager, which sends Enter, unless the focus is on a
// push button, as a click of the control whose id is IDOK, and Esc as one of IDCANCEL: neither may click a
// button that happens to come early in a layout.
TEST_P(DialogKeys, DoNotClickAButtonForItsPlaceInTheLayout)
{
    const DialogKeyRow& row = GetParam();
    TForm form(nullptr);
    form.SetClientSize(300, 100);
    auto* button = new TButton(&form, row.ButtonPlace);
    button->SetBounds(TRect{8, 8, 97, 41});
    int clicks = 0;
    button->OnClick = [&clicks](TObject*) { ++clicks; };
    for (int place = 1; place <= 2; ++place)
        if (place != row.ButtonPlace)
            new TLabel(&form, place);
    auto* field = new TEdit(&form, 3);
    field->SetBounds(TRect{108, 8, 157, 32});
    form.Show();
    ProcessFor(std::chrono::milliseconds(100));
    SetFocus(field->Handle());
    ASSERT_EQ(GetFocus(), field->Handle());

    MSG key{field->Handle(), WM_KEYDOWN, row.Key, 1, GetTickCount(), {}};
    EXPECT_TRUE(IsDialogMessageW(form.Handle(), &key));
    ProcessFor(std::chrono::milliseconds(50));
    EXPECT_EQ(clicks, 0);
    // A click is seen when there is one.
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(EnterAndEsc, DialogKeys,
    testing::Values(DialogKeyRow{"EnterInTheFieldWithAButtonFirst", 1, VK_RETURN},
        DialogKeyRow{"EnterInTheFieldWithAButtonSecond", 2, VK_RETURN},
        DialogKeyRow{"EscWithAButtonFirst", 1, VK_ESCAPE}, DialogKeyRow{"EscWithAButtonSecond", 2, VK_ESCAPE}),
    [](const auto& info) { return info.param.Name; });

TEST_F(WindowContract, IsAFixedWindowNamedForm1CentredWithTheLayoutsClientArea)
{
    MakeWindow(1000, 356);
    Show();
    const HWND window = Form->Handle();
    EXPECT_EQ(WindowText(window), "Form1");
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(818L, 412L));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    RECT outer;
    GetWindowRect(window, &outer);
    const int left = outer.left, right = GetSystemMetrics(SM_CXSCREEN) - outer.right;
    const int top = outer.top, bottom = GetSystemMetrics(SM_CYSCREEN) - outer.bottom;
    EXPECT_LE(std::abs(left - right), 1) << "left " << left << ", right " << right;
    EXPECT_LE(std::abs(top - bottom), 1) << "top " << top << ", bottom " << bottom;
}

// Every control's text, in the control's own font, fits the room the control gives it (a radio button's beside
// its check mark, a push button's within its edges, a field's within its margins): the window keeps the
// layout's pixels at any density, and its font keeps its pixel size.
TEST_F(WindowContract, EveryCaptionIsWhole)
{
    MakeWindow(1000, 356);
    Show();
    const UINT dpi = GetDpiForWindow(Form->Handle());
    for (HWND control = GetWindow(Form->Handle(), GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        // The view's text is its name for screen readers; it is never drawn.
        if (control == Image())
            continue;
        wchar_t text[256] = {};
        const int length = GetWindowTextW(control, text, int(std::size(text)));
        const SIZE size =
            InkOf(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), std::wstring(text, length));

        RECT room;
        GetClientRect(control, &room);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        const std::string kind = [&] {
            char name[64] = {};
            GetClassNameA(control, name, sizeof name);
            return std::string(name);
        }();
        if (kind == "Button" && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
            room.left += GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi);
        } else if (kind == "Button") {
            InflateRect(&room, -GetSystemMetricsForDpi(SM_CXEDGE, dpi), -GetSystemMetricsForDpi(SM_CYEDGE, dpi));
        } else if (kind == "Edit") {
            const auto margins = SendMessageW(control, EM_GETMARGINS, 0, 0);
            room.left += LOWORD(margins);
            room.right -= HIWORD(margins);
        }
        const std::string name = WindowText(control);
        EXPECT_LE(size.cx, room.right - room.left) << "'" << name << "' is wider than its room at " << dpi << " dpi";
        EXPECT_LE(size.cy, room.bottom - room.top) << "'" << name << "' is higher than its room at " << dpi << " dpi";
    }
}

struct DensityRow {
    const char* Name;
    UINT Dpi;
};

void PrintTo(const DensityRow& row, std::ostream* out)
{
    *out << row.Name;
}

class DensityChanges : public WindowContract, public testing::WithParamInterface<DensityRow> {};

// Moved to a monitor of another density, the system tells the window so, with the rectangle it suggests for
// it there: the window's frame as the system then draws it (its own density's) around the layout's client
// area, unscaled, at the suggested place.
TEST_P(DensityChanges, KeepTheClientAreaWhereTheSystemSuggests)
{
    MakeWindow(1000, 356);
    Show();
    const HWND window = Form->Handle();
    RECT outer;
    GetWindowRect(window, &outer);
    const UINT dpi = GetDpiForWindow(window);
    // As the system suggests it: the window's rectangle scaled to the new density, somewhere else.
    RECT suggested{40, 30, 40 + MulDiv(outer.right - outer.left, int(GetParam().Dpi), int(dpi)),
        30 + MulDiv(outer.bottom - outer.top, int(GetParam().Dpi), int(dpi))};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(GetParam().Dpi, GetParam().Dpi), reinterpret_cast<LPARAM>(&suggested));
    ProcessFor(std::chrono::milliseconds(100));
    RECT client, moved;
    GetClientRect(window, &client);
    GetWindowRect(window, &moved);
    EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(818L, 412L));
    EXPECT_EQ(std::make_pair(moved.left, moved.top), std::make_pair(40L, 30L)) << "not where the system suggests";
}

INSTANTIATE_TEST_SUITE_P(Monitors, DensityChanges,
    testing::Values(DensityRow{"Denser", 192}, DensityRow{"LessDense", 72}),
    [](const auto& info) { return info.param.Name; });

// As in a dialog: START has the focus, Tab goes to the checked radio button and on to the field, and the
// arrow keys move within the radio buttons' group.
TEST_F(WindowContract, TabsFromStartThroughTheRadioGroupToTheField)
{
    MakeWindow(1000, 356);
    Show();
    const HWND window = Form->Handle();
    EXPECT_EQ(GetFocus(), Form->Button1->Handle());
    std::vector<HWND> order{Form->Button1->Handle()};
    for (int i = 0; i < 3; ++i)
        order.push_back(GetNextDlgTabItem(window, order.back(), FALSE));
    EXPECT_EQ(order, (std::vector<HWND>{Form->Button1->Handle(), Form->RadioButton1->Handle(), Form->Edit1->Handle(),
                         Form->Button1->Handle()}));
    EXPECT_EQ(GetNextDlgGroupItem(window, Form->RadioButton1->Handle(), FALSE), Form->RadioButton2->Handle());
    EXPECT_EQ(GetNextDlgGroupItem(window, Form->RadioButton2->Handle(), FALSE), Form->RadioButton1->Handle());
    // Screen readers name a field by the label just before it among the windows, as the layout's buddy says.
    EXPECT_EQ(GetWindow(Form->Edit1->Handle(), GW_HWNDPREV), Form->Label2->Handle());
}

TEST_F(WindowContract, FirstFrameShowsThePictureFromItsLeftEdge)
{
    MakeWindow(2400, 356);
    Show();
    EXPECT_EQ(ScreenDifference(0), "");
    EXPECT_EQ(WindowText(Form->Label1->Handle()), "SourceRect.Left = 0");
}

TEST_F(WindowContract, WideBitmapRunsOnePixelPerStepThenWraps)
{
    MakeWindow(1000, 356);
    Show();
    for (int tick = 1; tick <= 200; ++tick) {
        Form->ScrollStep();
        ASSERT_EQ(Form->SourceRect.Left, tick);
        ASSERT_EQ(Form->SourceRect.Right, tick + 800);
    }
    ASSERT_TRUE(ProcessUntil([this] { return ShownLeft() == 200; }));
    ProcessFor(std::chrono::milliseconds(100));
    EXPECT_EQ(ScreenDifference(200), "");
    Form->ScrollStep();
    EXPECT_EQ(Form->SourceRect.Left, 0);
    ASSERT_TRUE(ProcessUntil([this] { return ShownLeft() == 0; }));
    ProcessFor(std::chrono::milliseconds(100));
    EXPECT_EQ(ScreenDifference(0), "");
}

class SmallPictures : public WindowContract, public testing::WithParamInterface<SmallBitmap> {};

TEST_P(SmallPictures, ViewStaysAtZeroAndFillsPastTheEdgesWithTheButtonFace)
{
    MakeWindow(GetParam().width, GetParam().height);
    Show();
    EXPECT_EQ(ScreenDifference(0), "");
    for (int tick = 0; tick < 5; ++tick)
        Form->ScrollStep();
    EXPECT_EQ(Form->SourceRect.Left, 0);
    ProcessFor(std::chrono::milliseconds(100));
    EXPECT_EQ(ScreenDifference(0), "");
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, SmallPictures, testing::ValuesIn(SmallBitmaps),
    [](const auto& info) { return std::string(info.param.name); });

class CopySequencesOnWindows : public WindowContract, public testing::WithParamInterface<SequenceRow> {};

TEST_P(CopySequencesOnWindows, ShowWhatEagerCopiesWould)
{
    const SequenceRow& row = GetParam();
    MakeWindow(SequencePictureWidth, SequencePictureHeight);
    for (const auto& [dest, source] : row.Copies)
        Form->Image1->Canvas()->CopyRect(dest, Form->Background->Canvas(), source);
    switch (row.End) {
    case SequenceEnd::Nothing:
        break;
    case SequenceEnd::SourceReloaded:
        WriteBmpFile(Folder / "other.bmp", 1000, 356, [](int x, int y) { return ColumnPixel(999 - x, 355 - y); });
        Form->Background->LoadFromFile("other.bmp");
        break;
    case SequenceEnd::SourceDrawnOn:
        Form->Background->Canvas()->CopyRect(SourceDrawing.first, Form->Background->Canvas(), SourceDrawing.second);
        break;
    case SequenceEnd::ViewGrown:
        Form->Image1->SetBounds(TRect{8, 8, 8 + GrownView.Right, 8 + GrownView.Bottom});
        break;
    }
    constexpr TRect view{0, 0, 800, 356};
    // After the window's own first copy.
    const ExpectedPixels expected = Expected(row, ColumnPixel, ButtonFace(), {{view, view}});
    const ViewPixels shown = ReadView(Image(), expected.Width, expected.Height, true);
    EXPECT_EQ(Difference(shown, expected.Pixels, expected.Width), "");
}

INSTANTIATE_TEST_SUITE_P(Copies, CopySequencesOnWindows, testing::ValuesIn(CopySequences()),
    [](const auto& info) { return info.param.Name; });

// Unequal sizes scale: here each source pixel becomes two by two, and what lies past the picture shows the
// button face.
TEST_F(WindowContract, ScalesUnequalSizesPixelByPixel)
{
    MakeWindow(1000, 356);
    Form->Image1->Canvas()->CopyRect(TRect{0, 0, 800, 356}, Form->Background->Canvas(), TRect{700, 100, 1100, 278});
    ViewPixels expected(800 * 356);
    for (int y = 0; y < 356; ++y)
        for (int x = 0; x < 800; ++x)
            expected[std::size_t(y) * 800 + x] = 700 + x / 2 < 1000 ? ColumnPixel(700 + x / 2, 100 + y / 2) : ButtonFace();
    EXPECT_EQ(Difference(ReadView(Image(), 800, 356, true), expected), "");
}

// The compositor's latest refresh as each frame began, and how many frames each got. A frame sets the status
// line's caption once where it changed, as it does in every frame at 1 ms; the view is drawn in the same frame.
using FramesPerRefresh = std::map<ULONGLONG, int>;

ULONGLONG LatestRefresh(ULONGLONG* Period = nullptr)
{
    DWM_TIMING_INFO timing{};
    timing.cbSize = sizeof timing;
    if (FAILED(DwmGetCompositionTimingInfo(nullptr, &timing)))
        return 0;
    if (Period)
        *Period = timing.qpcRefreshPeriod;
    return timing.qpcVBlank;
}

LRESULT CALLBACK CountFrames(
    HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, UINT_PTR /*Id*/, DWORD_PTR Frames)
{
    if (Message == WM_SETTEXT)
        ++(*reinterpret_cast<FramesPerRefresh*>(Frames))[LatestRefresh()];
    return DefSubclassProc(Window, Message, WParam, LParam);
}

// A thousand ticks a second are shown in at most one frame in each of the compositor's refreshes, and in
// nearly every one; after STOP the last tick's picture and position are on screen. Frames timed without the
// compositor's phase used to fall two in a refresh now and then, and none in the next.
TEST_F(WindowContract, PrecisionTimerAtOneMillisecondShowsOneFramePerRefresh)
{
    ULONGLONG period = 0;
    ASSERT_NE(LatestRefresh(&period), 0u) << "the compositor tells no refresh";
    ASSERT_GT(period, 0u);
    // Wide enough that the view does not wrap while it is counted.
    MakeWindow(8000, 356);
    Show();
    const HWND label = Form->Label1->Handle();
    FramesPerRefresh frames;
    ASSERT_TRUE(SetWindowSubclass(label, CountFrames, 1, reinterpret_cast<DWORD_PTR>(&frames)));
    SendMessageW(Form->RadioButton2->Handle(), BM_CLICK, 0, 0);
    SetWindowTextW(Form->Edit1->Handle(), L"1");
    SendMessageW(Form->Button1->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(Form->MMTimer->Enabled());
    // The first frames settle; counted from there.
    ASSERT_TRUE(ProcessUntil([this] { return ShownLeft() > 50; }));
    const int firstLeft = ShownLeft();
    frames.clear();
    const ULONGLONG first = LatestRefresh();
    ProcessFor(std::chrono::milliseconds(1500));
    const ULONGLONG refreshes = (LatestRefresh() - first) / period;
    const FramesPerRefresh counted = frames;
    const int advanced = ShownLeft() - firstLeft;
    SendMessageW(Form->Button1->Handle(), BM_CLICK, 0, 0);
    RemoveWindowSubclass(label, CountFrames, 1);

    int total = 0, doubled = 0;
    for (const auto& [refresh, count] : counted) {
        total += count;
        doubled += count > 1;
    }
    std::printf("%d frames in %d of %d refreshes; the view advanced %d pixels\n", total, int(counted.size()),
        int(refreshes), advanced);
    EXPECT_EQ(doubled, 0) << "refreshes with more than one frame";
    EXPECT_GE(counted.size() * 2, refreshes) << "frames in fewer than half the refreshes";
    EXPECT_GT(advanced, total) << "fewer ticks than frames";

    ASSERT_FALSE(Form->MMTimer->Enabled());
    const int left = Form->SourceRect.Left;
    ASSERT_TRUE(ProcessUntil([&] { return ShownLeft() == left; }));
    ProcessFor(std::chrono::milliseconds(100));
    EXPECT_EQ(ScreenDifference(left), "");
}

// The application's loop ends at the first error a handler raises on any thread, and Run raises it; later
// errors are dropped. The form made here is the application's main window for good: this runs once.
TEST_F(WindowContract, RunEndsAtTheFirstErrorOfAHandlerOnAnotherThread)
{
    WriteBmpFile(Folder / "BG.bmp", 1000, 356, ColumnPixel);
    TForm1* main = nullptr;
    Application->CreateForm(main);
    std::thread tick([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        TApplication::Dispatch([] { throw Exception("the first"); });
        TApplication::Dispatch([] { throw Exception("the second"); });
    });
    std::string raised;
    try {
        Application->Run();
    } catch (const Exception& E) {
        raised = E.Message();
    }
    tick.join();
    EXPECT_EQ(raised, "the first");
    EXPECT_TRUE(IsWindowVisible(main->Handle())) << "the loop ended before the window showed";
    ShowWindow(main->Handle(), SW_HIDE);
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TApplication application;
    application.Initialize();
    return RUN_ALL_TESTS();
}

#include "ui_Unit1.h"
#include "Unit1.h"

#include "TApplication.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFontInfo>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>
#include <set>

namespace {

// The form description alone, on a bare form: what the layout says before the window's own construction.
class Description : public testing::Test {
protected:
    void SetUp() override { Layout.setupUi(&Form); }

    template <class TControl>
    TControl* Control(const char* Name) const
    {
        return Form.findChild<TControl*>(QLatin1String(Name));
    }

    TForm Form{nullptr};
    Ui::Form1 Layout;
};

struct ControlRow {
    const char* Name;
    const char* Kind;
    QRect Geometry;
    const char* Caption;  // what the control shows
    bool Checked;
};

void PrintTo(const ControlRow& row, std::ostream* out)
{
    *out << row.Name;
}

class ControlTest : public Description, public testing::WithParamInterface<ControlRow> {};

TEST_P(ControlTest, HasItsKindPlaceCaptionAndState)
{
    const ControlRow& row = GetParam();
    QWidget* control = Control<QWidget>(row.Name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(std::string(control->metaObject()->className()), row.Kind);
    EXPECT_EQ(control->geometry(), row.Geometry);
    EXPECT_TRUE(Form.rect().contains(control->geometry())) << "outside the client area";
    EXPECT_TRUE(control->isEnabled());
    if (auto* label = qobject_cast<TLabel*>(control)) {
        EXPECT_EQ(label->Caption(), row.Caption);
        EXPECT_EQ(label->text().toStdString(), row.Caption);
    } else if (auto* edit = qobject_cast<TEdit*>(control)) {
        EXPECT_EQ(edit->Text(), row.Caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        EXPECT_EQ(button->text().toStdString(), row.Caption);
        EXPECT_EQ(button->isChecked(), row.Checked);
    }
}

INSTANTIATE_TEST_SUITE_P(Form1, ControlTest,
    testing::Values(ControlRow{"Image1", "TImage", {8, 8, 800, 356}, "", false},
        ControlRow{"Label1", "TLabel", {584, 376, 225, 17}, "Label1", false},
        ControlRow{"Label2", "TLabel", {368, 376, 72, 16}, "Interval (ms)", false},
        ControlRow{"Button1", "TButton", {8, 368, 89, 33}, "START", false},
        ControlRow{"RadioButton1", "TRadioButton", {136, 376, 65, 17}, "Timer", true},
        ControlRow{"RadioButton2", "TRadioButton", {208, 376, 129, 17}, "Multimedia Timer", false},
        ControlRow{"Edit1", "TEdit", {448, 376, 49, 24}, "10", false}),
    [](const auto& info) { return info.param.Name; });

TEST_F(Description, GivesTheWindowItsCaptionSizesAndIcon)
{
    EXPECT_EQ(Form.windowTitle().toStdString(), "Form1");
    EXPECT_EQ(Form.size(), QSize(818, 412));
    EXPECT_EQ(Form.OuterSize(), QSize(826, 439));
    EXPECT_FALSE(Form.windowIcon().isNull());
}

TEST_F(Description, MakesTheStandardTimerDisabledAtTenMilliseconds)
{
    auto* timer = Control<TTimer>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 10u);
}

TEST_F(Description, TabsFromTheButtonThroughTheRadioButtonsToTheField)
{
    std::vector<std::string> order;
    QWidget* widget = Control<QWidget>("Button1");
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.push_back(widget->objectName().toStdString());
        widget = widget->nextInFocusChain();
    } while (widget != Control<QWidget>("Button1") && order.size() < 10);
    EXPECT_EQ(order, (std::vector<std::string>{"Button1", "RadioButton1", "RadioButton2", "Edit1"}));
}

TEST_F(Description, LetsOneRadioButtonBeCheckedAtATime)
{
    auto* timer = Control<TRadioButton>("RadioButton1");
    auto* multimedia = Control<TRadioButton>("RadioButton2");
    multimedia->click();
    EXPECT_EQ(std::make_pair(timer->Checked(), multimedia->Checked()), std::make_pair(false, true));
    timer->setChecked(true);
    EXPECT_EQ(std::make_pair(timer->Checked(), multimedia->Checked()), std::make_pair(true, false));
}

TEST(Icon, Is32By32In16Colours)
{
    const QImage icon(QStringLiteral(":/scrolltest.xpm"));
    EXPECT_EQ(icon.size(), QSize(32, 32));
    std::set<QRgb> colours;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            colours.insert(icon.pixel(x, y));
    EXPECT_EQ(colours.size(), 16u);
}

// The real window, made by the application as the program makes it, in a folder with a BG.bmp.
class Window : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Folder = new QTemporaryDir;
        QImage(1000, 356, QImage::Format_RGB32).save(Folder->filePath("BG.bmp"), "BMP");
        QDir::setCurrent(Folder->path());
        Application->CreateForm(Form1);
        // Wherever it is put beforehand, it shows centred.
        Form1->move(247, 119);
        Form1->show();
        // The frame, and with it the final place, is known once the window is on screen.
        const QDeadlineTimer deadline(10000);
        while (!Form1->windowHandle()->isExposed() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
    }
    // The window read BG.bmp as it was made and needs the folder no more.
    static void TearDownTestSuite()
    {
        delete Folder;
        Folder = nullptr;
    }

    static inline QTemporaryDir* Folder = nullptr;
};

TEST_F(Window, BindsItsControlsAndHandlersByName)
{
    const std::vector<std::pair<QObject*, const char*>> references{{Form1->Image1, "Image1"},
        {Form1->Timer1, "Timer1"}, {Form1->Button1, "Button1"}, {Form1->Label1, "Label1"},
        {Form1->RadioButton1, "RadioButton1"}, {Form1->RadioButton2, "RadioButton2"}, {Form1->Label2, "Label2"},
        {Form1->Edit1, "Edit1"}};
    for (const auto& [control, name] : references) {
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->objectName().toStdString(), name);
        EXPECT_EQ(control->parent(), Form1) << name;
    }
    EXPECT_TRUE(Form1->Button1->OnClick);
    EXPECT_TRUE(Form1->Timer1->OnTimer);
}

// Qt's offscreen screen frames its windows; the end-to-end test covers an X server without a frame.
TEST_F(Window, ShowsCentredAtItsOuterSizeWithTheFrame)
{
    const QRect screen = Form1->screen()->geometry();
    const QRect outer = Form1->frameGeometry();
    ASSERT_NE(outer.size(), Form1->size()) << "no frame on this platform";
    EXPECT_EQ(outer.size(), QSize(826, 439));
    EXPECT_EQ(Form1->minimumSize(), Form1->maximumSize()) << "resizable";
    const int left = outer.left() - screen.left(), right = screen.right() - outer.right();
    const int top = outer.top() - screen.top(), bottom = screen.bottom() - outer.bottom();
    EXPECT_LE(std::abs(left - right), 1) << "left " << left << ", right " << right;
    EXPECT_LE(std::abs(top - bottom), 1) << "top " << top << ", bottom " << bottom;
}

// Run as well under a 2x scale factor and on a 192-dpi screen: neither may change a pixel.
TEST_F(Window, KeepsItsPixelsUnscaled)
{
    EXPECT_EQ(Form1->devicePixelRatioF(), 1.0);
    EXPECT_EQ(Form1->grab().size(), Form1->size());
    EXPECT_EQ(Form1->Button1->grab().size(), QSize(89, 33));
    EXPECT_EQ(Form1->Button1->geometry(), QRect(8, 368, 89, 33));
    EXPECT_EQ(QFontInfo(Form1->Label2->font()).pixelSize(), 13);
}

}  // namespace

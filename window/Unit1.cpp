#include "Unit1.h"

#include "SysUtils.h"
#include "TApplication.h"
#include "ui_Unit1.h"

#include <cstdio>
#include <functional>

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* Owner) : TForm(Owner)
{
    Ui::Form1 layout;
    layout.setupUi(this);
    Image1 = layout.Image1;
    Timer1 = layout.Timer1;
    Button1 = layout.Button1;
    Label1 = layout.Label1;
    RadioButton1 = layout.RadioButton1;
    RadioButton2 = layout.RadioButton2;
    Label2 = layout.Label2;
    Edit1 = layout.Edit1;
    Timer1->OnTimer = std::bind_front(&TForm1::Timer1Timer, this);
    Button1->OnClick = std::bind_front(&TForm1::Button1Click, this);

    SetDoubleBuffered(true);
    MMTimer = std::make_unique<TMMTimer>();
    // The tick runs on the timer service's thread: its error is ended on the window's thread, as a click's is.
    MMTimer->SetOnTimer([this] { TApplication::Dispatch([this] { ScrollStep(); }); });
    MMTimer->SetResolution(1);
    MMTimer->SetInterval(10);
    Background = std::make_unique<TBitmap>();
    Background->LoadFromFile("BG.bmp");
    SourceRect = TRect{0, 0, 800, 356};
    DestRect = TRect{0, 0, 800, 356};
    Redraw();
}

void TForm1::ScrollStep()
{
    const int W = Background->Width();
    if (SourceRect.Left < W - 800) {
        SourceRect.Left += 1;
        SourceRect.Right += 1;
    } else {
        SourceRect.Left = 0;
        SourceRect.Right = 800;
    }
    Redraw();
}

void TForm1::Timer1Timer(TObject* /*Sender*/)
{
    ScrollStep();
}

void TForm1::Redraw()
{
    // Past the edge of a bitmap narrower or shorter than the view, the canvas shows the window's own
    // background colour, the same on every frame.
    Image1->Canvas()->CopyRect(DestRect, Background->Canvas(), SourceRect);
    char caption[40];
    std::snprintf(caption, sizeof caption, "SourceRect.Left = %d", SourceRect.Left);
    Label1->SetCaption(caption);
}

void TForm1::Button1Click(TObject* /*Sender*/)
{
    if (RadioButton1->Checked()) {
        if (!Timer1->Enabled()) {
            ShowRunning();
            const int interval = StrToIntDef(Edit1->Text(), 10);
            Timer1->SetInterval(unsigned(interval));
            Timer1->SetEnabled(true);
        } else {
            ShowStopped();
            Timer1->SetEnabled(false);
        }
    }
    if (RadioButton2->Checked()) {
        if (!MMTimer->Enabled()) {
            ShowRunning();
            const int interval = StrToIntDef(Edit1->Text(), 10);
            MMTimer->SetInterval(unsigned(interval));
            MMTimer->SetEnabled(true);
            // The service refused the event and the box has said so: let the user correct the interval.
            if (!MMTimer->Enabled())
                ShowStopped();
        } else {
            ShowStopped();
            MMTimer->SetEnabled(false);
        }
    }
}

void TForm1::ShowRunning()
{
    Button1->SetCaption("STOP");
    RadioButton1->SetEnabled(false);
    RadioButton2->SetEnabled(false);
    Edit1->SetEnabled(false);
}

void TForm1::ShowStopped()
{
    Button1->SetCaption("START");
    RadioButton1->SetEnabled(true);
    RadioButton2->SetEnabled(true);
    Edit1->SetEnabled(true);
}

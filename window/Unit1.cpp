#include "Unit1.h"

#include "ui_Unit1.h"

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

    // The window's own construction follows the layout here.
}

void TForm1::Timer1Timer(TObject* /*Sender*/) {}

void TForm1::Button1Click(TObject* /*Sender*/) {}

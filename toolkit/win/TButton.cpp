#include "TButton.h"

#include "SystemUi.h"
#include "TApplication.h"

TButton::TButton(TForm* Owner, int Id) : TControl(Owner, Id, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON) {}

std::string TButton::Caption() const
{
    return Narrow(Text());
}

void TButton::SetCaption(const std::string& Value)
{
    SetText(Widen(Value));
}

void TButton::Command(int Code)
{
    if (Code == BN_CLICKED)
        TApplication::Dispatch(OnClick, this);
}

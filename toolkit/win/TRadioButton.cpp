#include "TRadioButton.h"

#include "SystemUi.h"

TRadioButton::TRadioButton(TForm* Owner, int Id)
    : TControl(Owner, Id, WC_BUTTONW, WS_TABSTOP | BS_AUTORADIOBUTTON)
{
}

bool TRadioButton::Checked() const
{
    return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool Value)
{
    SendMessageW(Handle(), BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string TRadioButton::Caption() const
{
    return Narrow(Text());
}

void TRadioButton::SetCaption(const std::string& Value)
{
    SetText(Widen(Value));
}

void TRadioButton::JoinGroup()
{
    SetWindowLongW(Handle(), GWL_STYLE, GetWindowLongW(Handle(), GWL_STYLE) & ~(WS_GROUP | WS_TABSTOP));
}

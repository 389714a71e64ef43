#include "TEdit.h"

#include "SystemUi.h"

TEdit::TEdit(TForm* Owner, int Id)
    : TControl(Owner, Id, WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE)
{
}

std::string TEdit::Text() const
{
    return Narrow(TControl::Text());
}

void TEdit::SetText(const std::string& Value)
{
    TControl::SetText(Widen(Value));
}

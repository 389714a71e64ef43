#include "TEdit.h"

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

std::string TEdit::Text() const
{
    return text().toStdString();
}

void TEdit::SetText(const std::string& Value)
{
    setText(QString::fromStdString(Value));
}

void TEdit::SetEnabled(bool Value)
{
    setEnabled(Value);
}

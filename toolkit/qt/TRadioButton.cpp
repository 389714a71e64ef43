#include "TRadioButton.h"

TRadioButton::TRadioButton(QWidget* parent) : QRadioButton(parent) {}

bool TRadioButton::Checked() const
{
    return isChecked();
}

std::string TRadioButton::Caption() const
{
    return text().toStdString();
}

void TRadioButton::SetCaption(const std::string& Value)
{
    setText(QString::fromStdString(Value));
}

void TRadioButton::SetEnabled(bool Value)
{
    setEnabled(Value);
}

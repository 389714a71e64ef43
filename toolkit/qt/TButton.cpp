#include "TButton.h"

#include "TApplication.h"

TButton::TButton(QWidget* parent) : QPushButton(parent)
{
    connect(this, &QAbstractButton::clicked, this, [this] { TApplication::Dispatch(OnClick, this); });
}

std::string TButton::Caption() const
{
    return text().toStdString();
}

void TButton::SetCaption(const std::string& Value)
{
    setText(QString::fromStdString(Value));
}

void TButton::SetEnabled(bool Value)
{
    setEnabled(Value);
}

#include "SysUtils.h"

#include <QByteArray>

#include <utility>

Exception::Exception(std::string Message) : FMessage(std::move(Message)) {}

const std::string& Exception::Message() const
{
    return FMessage;
}

const char* Exception::what() const noexcept
{
    return FMessage.c_str();
}

int StrToIntDef(const std::string& Text, int Default)
{
    bool ok = false;
    const int value = QByteArray::fromStdString(Text).toInt(&ok, 10);
    return ok ? value : Default;
}

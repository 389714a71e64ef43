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
    // Qt's conversion would stop at a NUL byte and take "25\0x" for 25.
    if (Text.find('\0') != std::string::npos)
        return Default;
    bool ok = false;
    const int value = QByteArray::fromStdString(Text).toInt(&ok, 10);
    return ok ? value : Default;
}

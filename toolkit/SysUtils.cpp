#include "SysUtils.h"

#include <charconv>
#include <string_view>
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
    // Blanks as C's isspace counts them, in the C locale; nothing else may surround the number.
    constexpr std::string_view blanks = " \t\n\v\f\r";
    std::string_view text(Text);
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return Default;
    text = text.substr(first, text.find_last_not_of(blanks) - first + 1);
    // from_chars takes a minus but no plus; a plus followed by anything but a digit is no number.
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return Default;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    // A NUL byte is text like any other here, so "25\0x" is refused as a whole.
    return error == std::errc() && end == text.data() + text.size() ? value : Default;
}

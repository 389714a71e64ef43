#pragma once

#include <exception>
#include <string>

// The toolkit's error: raised by the toolkit, caught and shown only at the program's entry point.
class Exception : public std::exception {
public:
    explicit Exception(std::string Message);

    const std::string& Message() const;
    const char* what() const noexcept override;

private:
    std::string FMessage;
};

// Text as a decimal int: an optional sign and digits, with blanks allowed around them (a user may type
// " 25 "). Anything else, an empty text, or a value outside 32 bits gives Default.
int StrToIntDef(const std::string& Text, int Default);

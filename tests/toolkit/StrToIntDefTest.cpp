#include "SysUtils.h"

#include <gtest/gtest.h>

#include <ostream>

#include <climits>
#include <string>

namespace {

struct TextRow {
    const char* Name;
    std::string Text;
    int Expected;
};

void PrintTo(const TextRow& row, std::ostream* out)
{
    *out << row.Name;
}

class StrToIntDefTest : public testing::TestWithParam<TextRow> {};

TEST_P(StrToIntDefTest, GivesTheIntegerOrTheDefault)
{
    EXPECT_EQ(StrToIntDef(GetParam().Text, 10), GetParam().Expected) << "text \"" << GetParam().Text << '"';
}

INSTANTIATE_TEST_SUITE_P(Plain, StrToIntDefTest,
    testing::Values(TextRow{"Positive", "25", 25}, TextRow{"Zero", "0", 0}, TextRow{"LeadingZero", "010", 10},
        TextRow{"Largest", "2147483647", INT_MAX}, TextRow{"Smallest", "-2147483648", INT_MIN}),
    [](const auto& info) { return info.param.Name; });

INSTANTIATE_TEST_SUITE_P(SignsAndBlanks, StrToIntDefTest,
    testing::Values(TextRow{"Minus", "-3", -3}, TextRow{"Plus", "+7", 7}, TextRow{"LeadingBlank", " 25", 25},
        TextRow{"TrailingBlank", "25 ", 25}, TextRow{"TabsAround", "\t25\t", 25}, TextRow{"BlankInside", "2 5", 10},
        TextRow{"BlankAfterSign", "- 3", 10}, TextRow{"TwoSigns", "+-3", 10}, TextRow{"SignAlone", "-", 10}),
    [](const auto& info) { return info.param.Name; });

INSTANTIATE_TEST_SUITE_P(Garbage, StrToIntDefTest,
    testing::Values(TextRow{"Empty", "", 10}, TextRow{"BlanksOnly", "   ", 10}, TextRow{"Letters", "abc", 10},
        TextRow{"TrailingLetters", "12abc", 10}, TextRow{"Hexadecimal", "0x10", 10}, TextRow{"Fraction", "2.5", 10},
        TextRow{"Exponent", "1e3", 10}, TextRow{"EmbeddedNul", std::string("25\0" "1", 4), 10}),
    [](const auto& info) { return info.param.Name; });

INSTANTIATE_TEST_SUITE_P(Overflow, StrToIntDefTest,
    testing::Values(TextRow{"JustAbove", "2147483648", 10}, TextRow{"JustBelow", "-2147483649", 10},
        TextRow{"Unsigned32BitMax", "4294967295", 10}, TextRow{"TwentyDigits", "99999999999999999999", 10}),
    [](const auto& info) { return info.param.Name; });

}  // namespace

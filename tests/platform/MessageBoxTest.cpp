#include "MessageBox.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Box = std::pair<std::string, std::string>;

TEST(MessageBoxHook, ReceivesBoxesUntilClearedThenStandardErrorDoes)
{
    std::vector<Box> boxes;
    SetMessageBoxHook([&](std::string_view text, std::string_view caption) {
        boxes.emplace_back(text, caption);
    });
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "fails to create timer event", "TMMTimer Error", MB_OK | MB_TASKMODAL));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, nullptr, nullptr, MB_OK));
    SetMessageBoxHook({});

    testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "no application runs", "Caption", MB_OK));
    EXPECT_EQ("Caption: no application runs\n", testing::internal::GetCapturedStderr());
    EXPECT_EQ((std::vector<Box>{{"fails to create timer event", "TMMTimer Error"}, {"", ""}}), boxes);
}

// The one type of box here has a single OK button; a caller asking for any other is told nothing was shown.
TEST(MessageBoxHook, OtherTypesShowNothingAndReturnZero)
{
    struct Row {
        std::string name;
        unsigned type;
    };
    const Row rows[] = {{"OK and Cancel", 1}, {"Yes and No", 4}, {"OK with an error icon", 0x10}};
    std::vector<Box> boxes;
    SetMessageBoxHook([&](std::string_view text, std::string_view caption) {
        boxes.emplace_back(text, caption);
    });
    for (const Row& row : rows)
        EXPECT_EQ(0, MessageBoxA(nullptr, "text", "caption", row.type)) << row.name;
    SetMessageBoxHook({});
    EXPECT_EQ(std::vector<Box>{}, boxes);
}

}  // namespace

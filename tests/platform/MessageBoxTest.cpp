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
    MessageBoxA("fails to create timer event", "TMMTimer Error");
    MessageBoxA(nullptr, nullptr);
    SetMessageBoxHook({});

    testing::internal::CaptureStderr();
    MessageBoxA("no application runs", "Caption");
    EXPECT_EQ("Caption: no application runs\n", testing::internal::GetCapturedStderr());
    EXPECT_EQ((std::vector<Box>{{"fails to create timer event", "TMMTimer Error"}, {"", ""}}), boxes);
}

}  // namespace

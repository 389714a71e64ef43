#pragma once

#include <cstdint>

// A rectangle in pixels; Right and Bottom are exclusive, so Right - Left is the width.
struct TRect {
    std::int32_t Left;
    std::int32_t Top;
    std::int32_t Right;
    std::int32_t Bottom;
};

#pragma once

#include <array>

// Pictures no wider than the view: it stays at column 0 and shows the background past their edges. The
// same rows for the window over every backend.
struct SmallBitmap {
    const char* name;
    int width;
    int height;
};

inline constexpr std::array<SmallBitmap, 4> SmallBitmaps{{{"exactly_800", 800, 356}, {"narrower", 500, 356},
    {"narrower_and_shorter", 640, 200}, {"tiny", 3, 2}}};

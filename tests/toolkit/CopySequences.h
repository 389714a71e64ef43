#pragma once

#include "TRect.h"

#include <ostream>
#include <utility>
#include <vector>

// Copies that the canvas puts off until its pixels are seen must show exactly what copies made at once
// would: every copy that a later one does not cover, and each from its source as it was when asked. The
// same rows for the canvas over every backend, on a 1000 x 356 picture and an 800 x 356 view.
struct SequenceRow {
    const char* Name;
    std::vector<std::pair<TRect, TRect>> Copies;  // dest, source; all from the bitmap
    bool ReloadAfter;  // the bitmap gets another picture after the copies
};

inline void PrintTo(const SequenceRow& row, std::ostream* out)
{
    *out << row.Name;
}

inline const std::vector<SequenceRow>& CopySequences()
{
    constexpr TRect View{0, 0, 800, 356};
    static const std::vector<SequenceRow> rows{
        {"LaterCoversEarlier", {{View, View}, {View, {200, 0, 1000, 356}}}, false},
        {"SideBySide", {{{0, 0, 400, 356}, {0, 0, 400, 356}}, {{400, 0, 800, 356}, {600, 0, 1000, 356}}}, false},
        {"PartlyOverlapping", {{View, {100, 0, 900, 356}}, {{300, 100, 500, 200}, {0, 0, 200, 100}}}, false},
        {"SourceReplacedAfterTheCopy", {{View, {150, 0, 950, 356}}}, true}};
    return rows;
}

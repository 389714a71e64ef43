#pragma once

#include "TRect.h"

#include <cmath>
#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

// Copies that the canvas puts off until its pixels are seen must show exactly what copies made at once
// would: every copy that a later one does not cover, and each from its source as it was when asked. The
// same rows for the canvas over every backend, on a 1000 x 356 picture and an 800 x 356 view.
constexpr int SequencePictureWidth = 1000;
constexpr int SequencePictureHeight = 356;

// What happens once the copies are asked for, before the view is seen.
enum class SequenceEnd {
    Nothing,
    SourceReloaded,  // the bitmap gets another picture
    SourceDrawnOn,  // the bitmap is drawn on: SourceDrawing's copy within it
    ViewGrown,  // the view grows to GrownView's size: what is drawn stays, the new room shows the background
};

constexpr std::pair<TRect, TRect> SourceDrawing{{0, 0, 1000, 356}, {0, 0, 500, 178}};  // dest, source
constexpr TRect GrownView{0, 0, 900, 400};

struct SequenceRow {
    const char* Name;
    std::vector<std::pair<TRect, TRect>> Copies;  // dest, source; all from the bitmap
    SequenceEnd End;
};

inline void PrintTo(const SequenceRow& row, std::ostream* out)
{
    *out << row.Name;
}

inline const std::vector<SequenceRow>& CopySequences()
{
    constexpr TRect View{0, 0, 800, 356};
    static const std::vector<SequenceRow> rows{
        {"LaterCoversEarlier", {{View, View}, {View, {200, 0, 1000, 356}}}, SequenceEnd::Nothing},
        {"SideBySide", {{{0, 0, 400, 356}, {0, 0, 400, 356}}, {{400, 0, 800, 356}, {600, 0, 1000, 356}}},
            SequenceEnd::Nothing},
        {"PartlyOverlapping", {{View, {100, 0, 900, 356}}, {{300, 100, 500, 200}, {0, 0, 200, 100}}},
            SequenceEnd::Nothing},
        {"SourceReplacedAfterTheCopy", {{View, {150, 0, 950, 356}}}, SequenceEnd::SourceReloaded},
        {"SourceDrawnOnAfterTheCopy", {{View, {150, 0, 950, 356}}}, SequenceEnd::SourceDrawnOn},
        {"DrawnSurvivesTheViewGrowing", {{View, {50, 0, 850, 356}}, {{300, 100, 500, 200}, {0, 0, 200, 100}}},
            SequenceEnd::ViewGrown},
        {"EnlargedThenCoveredInPart", {{View, {100, 50, 500, 228}}, {{200, 100, 600, 200}, {0, 0, 400, 100}}},
            SequenceEnd::Nothing},
        {"UnevenlyShrunk", {{View, {10, 20, 310, 220}}}, SequenceEnd::Nothing},
        {"HalvedReachingPastThePicture", {{View, {400, 0, 2000, 712}}}, SequenceEnd::Nothing}};
    return rows;
}

// Pixels 0x..RRGGBB, top row first.
struct ExpectedPixels {
    int Width;
    int Height;
    std::vector<std::uint32_t> Pixels;
};

// The reference for every backend: the view after Before and then the row's copies from the picture whose
// pixel (x, y) is PixelAt(x, y), on a view all Background at first. Each view pixel a copy covers shows the
// picture's pixel under its centre in the copy's source rectangle (for equal sizes, the pixel as far from
// the source's corner as it is from the destination's), or Background where that lies past the picture.
template <class TPixelAt>
ExpectedPixels Expected(const SequenceRow& Row, TPixelAt PixelAt, std::uint32_t Background,
    std::vector<std::pair<TRect, TRect>> Before = {})
{
    const TRect view = Row.End == SequenceEnd::ViewGrown ? GrownView : TRect{0, 0, 800, 356};
    ExpectedPixels expected{
        view.Right, view.Bottom, std::vector<std::uint32_t>(std::size_t(view.Right) * view.Bottom, Background)};
    Before.insert(Before.end(), Row.Copies.begin(), Row.Copies.end());
    for (const auto& [dest, source] : Before) {
        const double scaleX = double(source.Right - source.Left) / (dest.Right - dest.Left);
        const double scaleY = double(source.Bottom - source.Top) / (dest.Bottom - dest.Top);
        for (int y = dest.Top; y < dest.Bottom; ++y)
            for (int x = dest.Left; x < dest.Right; ++x) {
                const int sx = source.Left + int(std::floor((x - dest.Left + 0.5) * scaleX));
                const int sy = source.Top + int(std::floor((y - dest.Top + 0.5) * scaleY));
                const bool inside = sx >= 0 && sx < SequencePictureWidth && sy >= 0 && sy < SequencePictureHeight;
                expected.Pixels[std::size_t(y) * view.Right + x] = inside ? PixelAt(sx, sy) : Background;
            }
    }
    return expected;
}

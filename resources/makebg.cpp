// Draws a sample background picture for the scroll test: 2400 x 356 pixels, hills under a sky, with a
// numbered mark every 100 columns so that scrolling shows. Standard C++ only, so that the Windows build,
// which has no Qt, draws the same picture. Usage: makebg FILE.bmp
//
// Tools that find the view's left edge in a screenshot compare rows of it with the picture, so no two left
// edges may show the same pixels: the hills are two sines of unrelated periods with smoothed edges, and the
// numbers differ every 100 columns.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int Width = 2400;
constexpr int Height = 356;

struct Colour {
    double r, g, b;
};

constexpr Colour Black{0, 0, 0};
constexpr Colour DarkGray{128, 128, 128};
constexpr Colour Grass{60, 140, 60};

Colour Mix(Colour from, Colour to, double share)
{
    return {from.r + (to.r - from.r) * share, from.g + (to.g - from.g) * share, from.b + (to.b - from.b) * share};
}

class Picture {
public:
    void Set(int x, int y, Colour colour)
    {
        if (x >= 0 && x < Width && y >= 0 && y < Height)
            FPixels[std::size_t(y) * Width + std::size_t(x)] = colour;
    }
    Colour At(int x, int y) const { return FPixels[std::size_t(y) * Width + std::size_t(x)]; }

private:
    std::vector<Colour> FPixels = std::vector<Colour>(std::size_t(Width) * Height);
};

double HillTop(double x)
{
    return 250 + 40 * std::sin(x / 130.0) + 15 * std::sin(x / 37.0);
}

void DrawLandscape(Picture& picture)
{
    constexpr int Samples = 4;
    for (int x = 0; x < Width; ++x) {
        std::array<double, Samples> tops;
        for (int s = 0; s < Samples; ++s)
            tops[std::size_t(s)] = HillTop(x + (s + 0.5) / Samples);
        for (int y = 0; y < Height; ++y) {
            const Colour sky = Mix({70, 130, 200}, {215, 235, 250}, (y + 0.5) / Height);
            // The share of the pixel below the hills' edge, so that the edge is smooth.
            double grass = 0;
            for (double top : tops)
                grass += std::clamp(y + 1 - top, 0.0, 1.0) / Samples;
            picture.Set(x, y, Mix(sky, Grass, grass));
        }
    }
}

// Digits 5 x 7, a row a byte, its bit 4 the leftmost pixel.
constexpr std::array<std::array<std::uint8_t, 7>, 10> Digits{{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
}};

// The number's digits at twice their size, 14 pixels high, standing on row `baseline`.
void DrawNumber(Picture& picture, int left, int baseline, int number)
{
    constexpr int Scale = 2;
    const std::string text = std::to_string(number);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& glyph = Digits[std::size_t(text[i] - '0')];
        const int glyphLeft = left + int(i) * 6 * Scale;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if (glyph[std::size_t(row)] & (0x10 >> column))
                    for (int dy = 0; dy < Scale; ++dy)
                        for (int dx = 0; dx < Scale; ++dx)
                            picture.Set(glyphLeft + column * Scale + dx, baseline - 7 * Scale + row * Scale + dy,
                                Black);
    }
}

void DrawMarks(Picture& picture)
{
    for (int x = 0; x < Width; x += 10) {
        const bool hundred = x % 100 == 0;
        const int length = hundred ? Height : x % 50 == 0 ? 24 : 10;
        const Colour colour = hundred ? Black : DarkGray;
        for (int column = hundred ? x - 1 : x; column <= x; ++column) {
            for (int y = 0; y <= length; ++y)
                picture.Set(column, y, colour);
            for (int y = Height - 1 - std::min(length, 24); y < Height; ++y)
                picture.Set(column, y, colour);
        }
        if (hundred) {
            DrawNumber(picture, x + 5, 42, x);
            DrawNumber(picture, x + 5, Height - 30, x);
        }
    }
}

void PutLE(std::ofstream& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(char((value >> (8 * i)) & 0xFF));
}

// A 24-bit BMP with the common 40-byte header, rows bottom up (their 7,200 bytes need no padding).
bool SaveBmp(const Picture& picture, const char* path)
{
    constexpr std::uint32_t HeaderSize = 14 + 40;
    constexpr std::uint32_t RowSize = Width * 3;
    static_assert(RowSize % 4 == 0);
    std::ofstream out(path, std::ios::binary);
    out.put('B').put('M');
    PutLE(out, HeaderSize + RowSize * Height, 4);
    PutLE(out, 0, 4);
    PutLE(out, HeaderSize, 4);
    PutLE(out, 40, 4);
    PutLE(out, Width, 4);
    PutLE(out, Height, 4);
    PutLE(out, 1, 2);
    PutLE(out, 24, 2);
    PutLE(out, 0, 4);  // uncompressed
    PutLE(out, RowSize * Height, 4);
    PutLE(out, 2835, 4);  // 72 dots per inch
    PutLE(out, 2835, 4);
    PutLE(out, 0, 4);
    PutLE(out, 0, 4);
    for (int y = Height - 1; y >= 0; --y)
        for (int x = 0; x < Width; ++x) {
            const Colour c = picture.At(x, y);
            out.put(char(std::lround(c.b))).put(char(std::lround(c.g))).put(char(std::lround(c.r)));
        }
    out.close();
    return bool(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makebg FILE.bmp\n");
        return 2;
    }
    Picture picture;
    DrawLandscape(picture);
    DrawMarks(picture);
    if (!SaveBmp(picture, argv[1])) {
        std::fprintf(stderr, "makebg: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

// Makes the Windows icon file from the program's 32 x 32 XPM picture, at the sizes Windows shows: 16, 32, 48
// and 256 pixels. Standard C++ only, as the Windows build has no Qt. Usage: makeico PICTURE.xpm OUT.ico
//
// 32 is the picture itself and 256 each pixel as an 8 x 8 square. 48 is the 32-pixel picture in a transparent
// margin, as the Linux icons have it: 1.5 is no whole factor, and any scaling by it would draw some one-pixel
// lines one pixel wide and others two. 16 takes one pixel of each 2 x 2 square (see Halve).

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    std::uint8_t r, g, b, a;
};

// Pixels as indices into a palette.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgba> palette;
    std::vector<int> pixels;

    int At(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
};

// The XPM's C strings, in order.
std::vector<std::string> QuotedStrings(const std::string& text)
{
    std::vector<std::string> strings;
    for (std::size_t open = text.find('"'); open != std::string::npos; open = text.find('"', open + 1)) {
        const std::size_t close = text.find('"', open + 1);
        if (close == std::string::npos)
            break;
        strings.push_back(text.substr(open + 1, close - open - 1));
        open = close;
    }
    return strings;
}

std::optional<Rgba> ParseColour(const std::string& value)
{
    if (value == "None")
        return Rgba{0, 0, 0, 0};
    if (value.size() != 7 || value[0] != '#')
        return std::nullopt;
    std::array<std::uint8_t, 3> channels{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string hex = value.substr(1 + 2 * i, 2);
        if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        channels[i] = std::uint8_t(std::stoi(hex, nullptr, 16));
    }
    return Rgba{channels[0], channels[1], channels[2], 255};
}

// Reads the XPM subset our pictures use: colours given as "c #RRGGBB" or "c None".
std::optional<Picture> ReadXpm(const char* path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::vector<std::string> strings = QuotedStrings(text);
    Picture picture;
    int colours = 0;
    int charsPerPixel = 0;
    if (strings.empty()
        || !(std::istringstream(strings[0]) >> picture.width >> picture.height >> colours >> charsPerPixel)
        || picture.width <= 0 || picture.height <= 0 || colours <= 0 || charsPerPixel <= 0
        || strings.size() != std::size_t(1 + colours + picture.height)) {
        error = "no XPM picture";
        return std::nullopt;
    }
    std::map<std::string, int> indexOf;
    for (int i = 0; i < colours; ++i) {
        const std::string& line = strings[std::size_t(1 + i)];
        std::istringstream rest(line.substr(std::min(line.size(), std::size_t(charsPerPixel))));
        std::string key, value, extra;
        const std::optional<Rgba> colour = rest >> key >> value && !(rest >> extra) && key == "c"
            ? ParseColour(value) : std::nullopt;
        if (line.size() < std::size_t(charsPerPixel) || !colour) {
            error = "colour line \"" + line + "\" is not \"CHARS c #RRGGBB\" or \"CHARS c None\"";
            return std::nullopt;
        }
        indexOf[line.substr(0, std::size_t(charsPerPixel))] = int(picture.palette.size());
        picture.palette.push_back(*colour);
    }
    for (int y = 0; y < picture.height; ++y) {
        const std::string& row = strings[std::size_t(1 + colours + y)];
        if (row.size() != std::size_t(picture.width * charsPerPixel)) {
            error = "row " + std::to_string(y) + " is not " + std::to_string(picture.width) + " pixels wide";
            return std::nullopt;
        }
        for (int x = 0; x < picture.width; ++x) {
            const auto found = indexOf.find(row.substr(std::size_t(x * charsPerPixel), std::size_t(charsPerPixel)));
            if (found == indexOf.end()) {
                error = "row " + std::to_string(y) + " has a pixel of no listed colour";
                return std::nullopt;
            }
            picture.pixels.push_back(found->second);
        }
    }
    return picture;
}

// Half size. The icon is drawn in one-pixel lines (edges, highlights, shadows) over larger fills, and taking
// any fixed one of each 2 x 2 pixels would drop every line on the other row or column. So each square keeps
// the colour of its pixels that covers the fewest pixels of the whole picture: a line's colour rather than
// the fill around it.
Picture Halve(const Picture& picture)
{
    std::vector<int> coverage(picture.palette.size());
    for (int index : picture.pixels)
        ++coverage[std::size_t(index)];
    Picture half{picture.width / 2, picture.height / 2, picture.palette, {}};
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x) {
            int kept = picture.At(2 * x, 2 * y);
            for (int index : {picture.At(2 * x + 1, 2 * y), picture.At(2 * x, 2 * y + 1), picture.At(2 * x + 1, 2 * y + 1)})
                if (coverage[std::size_t(index)] < coverage[std::size_t(kept)])
                    kept = index;
            half.pixels.push_back(kept);
        }
    return half;
}

// `picture` with each pixel a `factor` x `factor` square, in a transparent margin `margin` pixels wide.
std::vector<Rgba> Draw(const Picture& picture, int factor, int margin, int size)
{
    std::vector<Rgba> pixels(std::size_t(size * size), Rgba{0, 0, 0, 0});
    for (int y = 0; y < picture.height * factor; ++y)
        for (int x = 0; x < picture.width * factor; ++x)
            pixels[std::size_t((margin + y) * size + margin + x)] =
                picture.palette[std::size_t(picture.At(x / factor, y / factor))];
    return pixels;
}

void PutLE(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

// One icon image as Windows keeps it: a 32-bit DIB (its height counts the mask too), rows bottom up, then
// the 1-bit mask that older readers take transparency from.
std::string Dib(const std::vector<Rgba>& pixels, int size)
{
    std::string dib;
    PutLE(dib, 40, 4);
    PutLE(dib, std::uint32_t(size), 4);
    PutLE(dib, std::uint32_t(2 * size), 4);
    PutLE(dib, 1, 2);
    PutLE(dib, 32, 2);
    for (int i = 0; i < 6; ++i)
        PutLE(dib, 0, 4);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const Rgba p = pixels[std::size_t(y * size + x)];
            dib += {char(p.b), char(p.g), char(p.r), char(p.a)};
        }
    const int maskRow = (size + 31) / 32 * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::string row(std::size_t(maskRow), '\0');
        for (int x = 0; x < size; ++x)
            if (pixels[std::size_t(y * size + x)].a == 0)
                row[std::size_t(x / 8)] = char(row[std::size_t(x / 8)] | (0x80 >> (x % 8)));
        dib += row;
    }
    return dib;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: makeico PICTURE.xpm OUT.ico\n");
        return 2;
    }
    std::string error;
    const std::optional<Picture> picture = ReadXpm(argv[1], error);
    if (!picture) {
        std::fprintf(stderr, "makeico: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (picture->width != 32 || picture->height != 32) {
        std::fprintf(stderr, "makeico: %s is not 32 x 32 pixels\n", argv[1]);
        return 1;
    }
    struct Image {
        int size;
        std::string dib;
    };
    const std::vector<Image> images{
        {16, Dib(Draw(Halve(*picture), 1, 0, 16), 16)},
        {32, Dib(Draw(*picture, 1, 0, 32), 32)},
        {48, Dib(Draw(*picture, 1, 8, 48), 48)},
        {256, Dib(Draw(*picture, 8, 0, 256), 256)},
    };

    std::string ico;
    PutLE(ico, 0, 2);
    PutLE(ico, 1, 2);  // an icon, not a cursor
    PutLE(ico, std::uint32_t(images.size()), 2);
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const Image& image : images) {
        // 256 does not fit the byte: 0 stands for it.
        ico.push_back(char(image.size % 256));
        ico.push_back(char(image.size % 256));
        PutLE(ico, 0, 2);  // no palette, reserved
        PutLE(ico, 1, 2);  // planes
        PutLE(ico, 32, 2);  // bits per pixel
        PutLE(ico, std::uint32_t(image.dib.size()), 4);
        PutLE(ico, offset, 4);
        offset += std::uint32_t(image.dib.size());
    }
    for (const Image& image : images)
        ico += image.dib;

    std::ofstream out(argv[2], std::ios::binary);
    out.write(ico.data(), std::streamsize(ico.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "makeico: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

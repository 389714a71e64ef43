#include "BmpCorpus.h"

#include <array>
#include <cstdlib>
#include <functional>
#include <utility>

namespace scroll::pictures {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t RgbCompression = 0;
constexpr std::uint32_t Rle8Compression = 1;
constexpr std::uint32_t Rle4Compression = 2;
constexpr std::uint32_t BitfieldsCompression = 3;
constexpr std::uint32_t JpegCompression = 4;

// Offsets of the fields that broken cases overwrite.
constexpr std::size_t PixelOffsetField = 10;
constexpr std::size_t HeaderSizeField = 14;
constexpr std::size_t WidthField = 18;
constexpr std::size_t HeightField = 22;
constexpr std::size_t BitCountField = 28;
constexpr std::size_t CompressionField = 30;
constexpr std::size_t SizeImageField = 34;
constexpr std::size_t ColorsUsedField = 46;
constexpr std::size_t FileHeaderSize = 14;

void Put16(Bytes& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFFu);
    Put16(out, value >> 16);
}

void Patch16(Bytes& out, std::size_t at, std::uint32_t value)
{
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Patch32(Bytes& out, std::size_t at, std::uint32_t value)
{
    Patch16(out, at, value & 0xFFFFu);
    Patch16(out, at + 2, value >> 16);
}

struct Header {
    std::uint32_t Size = 40; // 12 (OS/2 core), 40, 108 (V4) or 124 (V5)
    std::int32_t Width = 0;
    std::int32_t Height = 0; // negative: rows stored top-down
    std::uint16_t BitCount = 24;
    std::uint32_t Compression = RgbCompression;
    std::uint32_t ColorsUsed = 0;
    std::array<std::uint32_t, 4> Masks{}; // red, green, blue, alpha
};

Bytes Encode(const Header& header, const std::vector<std::uint32_t>& palette, const Bytes& pixels)
{
    Bytes info;
    Put32(info, header.Size);
    if (header.Size == 12) {
        Put16(info, static_cast<std::uint32_t>(header.Width));
        Put16(info, static_cast<std::uint32_t>(header.Height));
        Put16(info, 1);
        Put16(info, header.BitCount);
    } else {
        Put32(info, static_cast<std::uint32_t>(header.Width));
        Put32(info, static_cast<std::uint32_t>(header.Height));
        Put16(info, 1);
        Put16(info, header.BitCount);
        Put32(info, header.Compression);
        Put32(info, static_cast<std::uint32_t>(pixels.size()));
        Put32(info, 2835); // 72 dpi
        Put32(info, 2835);
        Put32(info, header.ColorsUsed);
        Put32(info, 0);
        if (header.Size >= 108) {
            for (std::uint32_t mask : header.Masks)
                Put32(info, mask);
            Put32(info, 0x73524742); // 'sRGB'
            info.resize(info.size() + 36 + 12); // endpoints and gamma, unused for sRGB
        }
        if (header.Size >= 124) {
            Put32(info, 4); // picture rendering intent
            info.resize(info.size() + 12);
        }
        if (header.Size == 40 && header.Compression == BitfieldsCompression) {
            for (std::size_t i = 0; i < 3; ++i)
                Put32(info, header.Masks[i]);
        }
    }
    for (std::uint32_t colour : palette) {
        info.push_back(static_cast<std::uint8_t>(colour));
        info.push_back(static_cast<std::uint8_t>(colour >> 8));
        info.push_back(static_cast<std::uint8_t>(colour >> 16));
        if (header.Size != 12)
            info.push_back(0);
    }

    Bytes file{'B', 'M'};
    const auto offset = static_cast<std::uint32_t>(FileHeaderSize + info.size());
    Put32(file, offset + static_cast<std::uint32_t>(pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

using RawValue = std::function<std::uint32_t(int x, int y)>;

// Uncompressed pixel rows, bottom row first unless top-down, each padded to four bytes.
Bytes Pack(int width, int height, bool topDown, int bits, const RawValue& value)
{
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    Bytes out(stride * static_cast<std::size_t>(height), 0);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        std::uint8_t* line = out.data() + stride * static_cast<std::size_t>(row);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            if (bits < 8) {
                const int shift = 8 - bits - (x * bits) % 8;
                line[x * bits / 8] |= static_cast<std::uint8_t>(v << shift);
            } else {
                for (int b = 0; b < bits / 8; ++b)
                    line[x * bits / 8 + b] = static_cast<std::uint8_t>(v >> (8 * b));
            }
        }
    }
    return out;
}

// Runs of two or more equal indices become encoded runs, other stretches of three or more
// become absolute runs, so both modes appear in every picture.
Bytes RleEncode(int width, int height, int bits, const RawValue& index)
{
    Bytes out;
    for (int y = height - 1; y >= 0; --y) {
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 255 && index(x + run, y) == index(x, y))
                ++run;
            if (run >= 2) {
                const std::uint32_t v = index(x, y);
                out.push_back(static_cast<std::uint8_t>(run));
                out.push_back(static_cast<std::uint8_t>(bits == 4 ? (v << 4 | v) : v));
                x += run;
                continue;
            }
            int end = x;
            while (end < width && end - x < 255 && !(end + 1 < width && index(end, y) == index(end + 1, y)))
                ++end;
            const int count = end - x;
            if (count < 3) {
                for (; x < end; ++x) {
                    out.push_back(1);
                    out.push_back(static_cast<std::uint8_t>(index(x, y) << (bits == 4 ? 4 : 0)));
                }
                continue;
            }
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(count));
            Bytes literal;
            for (int i = 0; i < count; ++i) {
                const std::uint32_t v = index(x + i, y);
                if (bits == 8)
                    literal.push_back(static_cast<std::uint8_t>(v));
                else if (i % 2 == 0)
                    literal.push_back(static_cast<std::uint8_t>(v << 4));
                else
                    literal.back() |= static_cast<std::uint8_t>(v);
            }
            if (literal.size() % 2 != 0)
                literal.push_back(0);
            out.insert(out.end(), literal.begin(), literal.end());
            x = end;
        }
        out.push_back(0);
        out.push_back(y == 0 ? 1 : 0); // end of bitmap after the top row, end of line before
    }
    return out;
}

std::vector<std::uint32_t> Palette(int count)
{
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < count; ++i) {
        // 73 is odd, so red alone tells all 256 entries apart.
        const auto r = static_cast<std::uint32_t>(i * 73 + 19) & 0xFFu;
        const auto g = static_cast<std::uint32_t>(i * 151 + 7) & 0xFFu;
        const auto b = static_cast<std::uint32_t>(255 - i * 29) & 0xFFu;
        colours.push_back(r << 16 | g << 8 | b);
    }
    return colours;
}

std::uint32_t Colour(int x, int y)
{
    const auto r = static_cast<std::uint32_t>(x * 5 + y * 3) & 0xFFu;
    const auto g = static_cast<std::uint32_t>((x ^ y) * 7) & 0xFFu;
    const auto b = static_cast<std::uint32_t>(200 - x + y * 11) & 0xFFu;
    return r << 16 | g << 8 | b;
}

std::uint32_t Expand(std::uint32_t value, int bits)
{
    return (value << (8 - bits)) | (value >> (2 * bits - 8));
}

PictureCase Picture(std::string name, const Header& header, const std::vector<std::uint32_t>& palette,
                    const RawValue& raw, const std::function<std::uint32_t(std::uint32_t)>& shown)
{
    PictureCase c;
    c.Name = std::move(name);
    c.Outcome = Expect::Loads;
    c.Width = header.Width;
    c.Height = std::abs(header.Height);
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x)
            c.Pixels.push_back(palette.empty() ? shown(raw(x, y)) : 0xFF000000u | palette[raw(x, y)]);
    const bool rle = header.Compression == Rle8Compression || header.Compression == Rle4Compression;
    const Bytes pixels = rle ? RleEncode(c.Width, c.Height, header.BitCount, raw)
                             : Pack(c.Width, c.Height, header.Height < 0, header.BitCount, raw);
    c.Bytes = Encode(header, palette, pixels);
    return c;
}

PictureCase Indexed(std::string name, const Header& header, int colours)
{
    const auto palette = Palette(colours);
    return Picture(std::move(name), header, palette,
                   [colours](int x, int y) { return static_cast<std::uint32_t>((x + 2 * y + x / 3) % colours); },
                   {});
}

PictureCase Rgb24(std::string name, const Header& header)
{
    return Picture(std::move(name), header, {}, Colour, [](std::uint32_t v) { return 0xFF000000u | v; });
}

std::vector<PictureCase> ValidCases()
{
    std::vector<PictureCase> cases;
    cases.push_back(Indexed("bits1_palette_odd_width", {.Width = 37, .Height = 20, .BitCount = 1}, 2));
    cases.push_back(Indexed("bits4_palette_odd_width", {.Width = 33, .Height = 17, .BitCount = 4}, 16));
    cases.push_back(Indexed("bits8_palette_odd_width", {.Width = 35, .Height = 19, .BitCount = 8}, 256));
    cases.push_back(Indexed("bits8_short_palette", {.Width = 24, .Height = 9, .BitCount = 8, .ColorsUsed = 12}, 12));
    cases.push_back(Indexed("bits8_top_down", {.Width = 21, .Height = -13, .BitCount = 8}, 256));
    cases.push_back(Indexed("core12_bits8_palette", {.Size = 12, .Width = 27, .Height = 11, .BitCount = 8}, 256));
    cases.push_back(Indexed("core12_bits1_palette", {.Size = 12, .Width = 9, .Height = 5, .BitCount = 1}, 2));

    // Runs of four then busy columns, so both encoded and absolute runs appear.
    const auto rleIndex = [](int colours) {
        return [colours](int x, int y) {
            return static_cast<std::uint32_t>(x < 40 ? (x / 4 + y) % colours : (x * 5 + y) % colours);
        };
    };
    const auto shownNothing = std::function<std::uint32_t(std::uint32_t)>{};
    cases.push_back(Picture("rle8", {.Width = 67, .Height = 15, .BitCount = 8, .Compression = Rle8Compression},
                            Palette(256), rleIndex(256), shownNothing));
    cases.push_back(Picture("rle4", {.Width = 67, .Height = 15, .BitCount = 4, .Compression = Rle4Compression},
                            Palette(16), rleIndex(16), shownNothing));
    cases.push_back(Picture("rle8_row_longer_than_255",
                            {.Width = 600, .Height = 3, .BitCount = 8, .Compression = Rle8Compression},
                            Palette(256), [](int x, int y) { return static_cast<std::uint32_t>(x < 300 ? y : x % 256); },
                            shownNothing));

    const auto rgb555 = [](int x, int y) {
        const std::uint32_t c = Colour(x, y);
        return (c >> 19 & 31u) << 10 | (c >> 11 & 31u) << 5 | (c >> 3 & 31u);
    };
    auto c555 = Picture("bits16_rgb555", {.Width = 31, .Height = 14, .BitCount = 16}, {}, rgb555, [](std::uint32_t v) {
        return 0xFF000000u | Expand(v >> 10 & 31u, 5) << 16 | Expand(v >> 5 & 31u, 5) << 8 | Expand(v & 31u, 5);
    });
    c555.Tolerance = 7;
    cases.push_back(std::move(c555));

    auto c565 = Picture(
        "bits16_bitfields565",
        {.Width = 29, .Height = 12, .BitCount = 16, .Compression = BitfieldsCompression, .Masks = {0xF800, 0x07E0, 0x001F, 0}},
        {},
        [](int x, int y) {
            const std::uint32_t c = Colour(x, y);
            return (c >> 19 & 31u) << 11 | (c >> 10 & 63u) << 5 | (c >> 3 & 31u);
        },
        [](std::uint32_t v) {
            return 0xFF000000u | Expand(v >> 11 & 31u, 5) << 16 | Expand(v >> 5 & 63u, 6) << 8 | Expand(v & 31u, 5);
        });
    c565.Tolerance = 7;
    cases.push_back(std::move(c565));

    cases.push_back(Rgb24("bits24_odd_width", {.Width = 29, .Height = 18}));
    cases.push_back(Rgb24("bits24_top_down", {.Width = 30, .Height = -7}));
    cases.push_back(Rgb24("bits24_one_pixel", {.Width = 1, .Height = 1}));
    cases.push_back(Rgb24("bits24_exactly_800x356", {.Width = 800, .Height = 356}));
    cases.push_back(Rgb24("bits24_wide_3000", {.Width = 3000, .Height = 360}));
    cases.push_back(Rgb24("bits24_tall_1000", {.Width = 820, .Height = 1000}));
    cases.push_back(Rgb24("core12_bits24", {.Size = 12, .Width = 19, .Height = 6}));
    cases.push_back(Rgb24("v4_bits24", {.Size = 108, .Width = 23, .Height = 10}));
    cases.push_back(Rgb24("v5_bits24_top_down", {.Size = 124, .Width = 23, .Height = -10}));

    // A palette may come with pixels that need none; the pixels start after it.
    const Header withPalette{.Width = 14, .Height = 5, .ColorsUsed = 16};
    auto carriesPalette = Rgb24("bits24_with_a_palette", withPalette);
    carriesPalette.Bytes = Encode(withPalette, Palette(16), Pack(14, 5, false, 24, Colour));
    cases.push_back(std::move(carriesPalette));

    auto sizeImageZero = Rgb24("bits24_size_image_zero", {.Width = 13, .Height = 4});
    Patch32(sizeImageZero.Bytes, SizeImageField, 0); // allowed for uncompressed pictures
    cases.push_back(std::move(sizeImageZero));

    // The fourth byte of an uncompressed 32-bit pixel is unused: zero there must not mean transparent.
    const auto opaque = [](std::uint32_t v) { return 0xFF000000u | (v & 0xFFFFFFu); };
    cases.push_back(Picture("bits32_unused_byte_zero", {.Width = 17, .Height = 9, .BitCount = 32}, {}, Colour, opaque));
    cases.push_back(Picture("bits32_bitfields_xrgb",
                            {.Width = 17, .Height = 9, .BitCount = 32, .Compression = BitfieldsCompression,
                             .Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0}},
                            {}, [](int x, int y) { return Colour(x, y) | static_cast<std::uint32_t>(x * 9) << 24; },
                            opaque));
    cases.push_back(Picture("bits32_bitfields_bgrx",
                            {.Width = 15, .Height = 6, .BitCount = 32, .Compression = BitfieldsCompression,
                             .Masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0}},
                            {}, [](int x, int y) {
                                const std::uint32_t c = Colour(x, y);
                                return (c & 0xFFu) << 24 | (c >> 8 & 0xFFu) << 16 | (c >> 16) << 8;
                            },
                            [](std::uint32_t v) { return 0xFF000000u | (v >> 8 & 0xFFu) << 16 | (v >> 16 & 0xFFu) << 8 | v >> 24; }));

    const auto withAlpha = [](int x, int y) {
        return Colour(x, y) | static_cast<std::uint32_t>(x * 255 / 31) << 24; // fully clear to fully opaque
    };
    for (const std::uint32_t size : {108u, 124u}) {
        cases.push_back(Picture(size == 108 ? "v4_bits32_alpha" : "v5_bits32_alpha",
                                {.Size = size, .Width = 32, .Height = 8, .BitCount = 32,
                                 .Compression = BitfieldsCompression,
                                 .Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
                                {}, withAlpha, [](std::uint32_t v) { return v; }));
    }
    return cases;
}

PictureCase Broken(std::string name, Expect outcome, std::string why, Bytes bytes)
{
    PictureCase c;
    c.Name = std::move(name);
    c.Outcome = outcome;
    c.Why = std::move(why);
    c.Bytes = std::move(bytes);
    return c;
}

PictureCase Refused(std::string name, Bytes bytes, std::string message)
{
    PictureCase c = Broken(std::move(name), Expect::Refused, {}, std::move(bytes));
    c.Message = std::move(message);
    return c;
}

std::string Unreadable(const std::string& detail)
{
    return "it is not a readable BMP picture (" + detail + ")";
}

std::string TooLarge(std::uint32_t width, std::uint32_t height)
{
    return "the picture is too large (" + std::to_string(width) + " x " + std::to_string(height)
        + " pixels; pictures over 256 MB are refused)";
}

Bytes Base24()
{
    return Rgb24("base", {.Width = 16, .Height = 8}).Bytes;
}

Bytes Base8()
{
    return Indexed("base", {.Width = 16, .Height = 8, .BitCount = 8}, 256).Bytes;
}

Bytes WithField32(Bytes bytes, std::size_t at, std::uint32_t value)
{
    Patch32(bytes, at, value);
    return bytes;
}

Bytes WithField16(Bytes bytes, std::size_t at, std::uint32_t value)
{
    Patch16(bytes, at, value);
    return bytes;
}

Bytes Truncated(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

// A small 8-bit picture whose pixel data is the given RLE8 stream.
Bytes Rle8(const Bytes& stream, std::uint16_t bits = 8)
{
    return Encode({.Width = 16, .Height = 8, .BitCount = bits, .Compression = Rle8Compression}, Palette(256), stream);
}

Bytes Rle4(const Bytes& stream)
{
    return Encode({.Width = 16, .Height = 8, .BitCount = 4, .Compression = Rle4Compression}, Palette(16), stream);
}

std::vector<PictureCase> BrokenCases()
{
    const std::string partial = "the format does not say whether a damaged picture may still be shown in part";
    const std::string runs = "the format does not say whether a reader clips or rejects runs that leave the picture";
    const std::size_t base24Data = FileHeaderSize + 40;
    const std::size_t base24Size = Base24().size();

    const std::string noHeader = Unreadable("no BMP file header");
    const std::string outOfRange = Unreadable("a width or height out of range");
    const std::string pixelsPastEnd = Unreadable("the pixels reach past the end of the file");

    std::vector<PictureCase> cases;
    cases.push_back(Refused("empty_file", {}, noHeader));
    cases.push_back(Refused("magic_only", {'B', 'M'}, noHeader));
    cases.push_back(Refused("truncated_file_header", Truncated(Base24(), 9), noHeader));
    cases.push_back(Refused("truncated_info_header", Truncated(Base24(), FileHeaderSize + 20),
                            Unreadable("the header reaches past the end of the file")));
    cases.push_back(Refused("wrong_magic", WithField16(Base24(), 0, 'M' | 'B' << 8), noHeader));
    cases.push_back(Refused("header_size_too_small", WithField32(Base24(), HeaderSizeField, 8),
                            Unreadable("an unknown header size, 8")));
    cases.push_back(Refused("header_size_past_end_of_file", WithField32(Base24(), HeaderSizeField, 0x10000),
                            Unreadable("an unknown header size, 65536")));
    cases.push_back(Refused("header_size_huge", WithField32(Base24(), HeaderSizeField, 0xFFFFFFF0u),
                            Unreadable("an unknown header size, 4294967280")));
    cases.push_back(Refused("width_zero", WithField32(Base24(), WidthField, 0), outOfRange));
    cases.push_back(Refused("height_zero", WithField32(Base24(), HeightField, 0), outOfRange));
    cases.push_back(Refused("width_negative", WithField32(Base24(), WidthField, static_cast<std::uint32_t>(-16)),
                            outOfRange));
    cases.push_back(Refused("height_most_negative", WithField32(Base24(), HeightField, 0x80000000u), outOfRange));
    cases.push_back(Refused("width_most_negative", WithField32(Base24(), WidthField, 0x80000000u), outOfRange));
    cases.push_back(Refused("absurd_100000x100000_small_file",
                            WithField32(WithField32(Base24(), WidthField, 100000), HeightField, 100000),
                            TooLarge(100000, 100000)));
    cases.push_back(Refused("absurd_20000x20000_bits32_small_file",
                            WithField16(WithField32(WithField32(Base24(), WidthField, 20000), HeightField, 20000),
                                        BitCountField, 32),
                            TooLarge(20000, 20000)));
    cases.push_back(Refused("overflow_65536x65536_bits8",
                            WithField32(WithField32(Base8(), WidthField, 65536), HeightField, 65536),
                            TooLarge(65536, 65536)));
    // Three bytes a pixel makes the row length wrap to 2 bytes in 32-bit arithmetic.
    cases.push_back(Refused("overflow_row_bytes_bits24",
                            WithField32(WithField32(Base24(), WidthField, 0x55555556u), HeightField, 1),
                            TooLarge(0x55555556u, 1)));
    // Width x height x 4 bytes passes 2^63: the size in 64-bit signed arithmetic wraps below the limit.
    cases.push_back(Refused("rle8_overflow_0x7FFFFFFF_square",
                            WithField32(WithField32(Rle8({0, 1}), WidthField, 0x7FFFFFFFu), HeightField, 0x7FFFFFFFu),
                            TooLarge(0x7FFFFFFFu, 0x7FFFFFFFu)));
    cases.push_back(Refused("bits24_top_down_overflow_0x7FFFFFFF_square",
                            WithField32(WithField32(Base24(), WidthField, 0x7FFFFFFFu), HeightField,
                                        static_cast<std::uint32_t>(-0x7FFFFFFF)),
                            TooLarge(0x7FFFFFFFu, 0x7FFFFFFFu)));
    cases.push_back(Refused("bit_count_0", WithField16(Base24(), BitCountField, 0), Unreadable("a bit count of 0")));
    cases.push_back(Refused("bit_count_7", WithField16(Base24(), BitCountField, 7), Unreadable("a bit count of 7")));
    cases.push_back(Refused("bit_count_64", WithField16(Base24(), BitCountField, 64), Unreadable("a bit count of 64")));
    cases.push_back(Refused("palette_claims_a_billion_colours", WithField32(Base8(), ColorsUsedField, 0x40000000u),
                            Unreadable("a palette of 1073741824 colours for 8 bits")));
    cases.push_back(Refused("palette_300_entries_for_8_bits",
                            Encode({.Width = 4, .Height = 2, .BitCount = 8, .ColorsUsed = 300}, Palette(300),
                                   Bytes(8, 7)),
                            Unreadable("a palette of 300 colours for 8 bits")));
    // Above 8 bits a pixel a palette is optional, but what the header claims of it must still be there.
    cases.push_back(Refused("bits24_palette_claims_a_billion_colours",
                            WithField32(Base24(), ColorsUsedField, 0x40000000u),
                            Unreadable("a palette of 1073741824 colours for 24 bits")));
    cases.push_back(Refused("bits32_palette_past_end_of_file",
                            Encode({.Width = 16, .Height = 8, .BitCount = 32, .ColorsUsed = 200}, {},
                                   Pack(16, 8, false, 32, Colour)),
                            Unreadable("the palette reaches past the end of the file")));
    cases.push_back(Refused("palette_past_end_of_file", Truncated(Base8(), FileHeaderSize + 40 + 4 * 100),
                            Unreadable("the palette reaches past the end of the file")));
    cases.push_back(Refused("pixel_offset_past_end_of_file", WithField32(Base24(), PixelOffsetField, 0x7FFFFFF0u),
                            Unreadable("no pixel data")));
    cases.push_back(Refused("compression_jpeg_with_garbage",
                            WithField16(WithField32(Base24(), CompressionField, JpegCompression), BitCountField, 0),
                            Unreadable("a bit count of 0")));
    cases.push_back(Refused("compression_unknown", WithField32(Base24(), CompressionField, 77),
                            Unreadable("compression 77 at 24 bits a pixel")));
    cases.push_back(Refused("rle8_with_24_bits", Rle8({2, 1, 0, 1}, 24), Unreadable("compression 1 at 24 bits a pixel")));
    cases.push_back(Refused("rle4_with_8_bits", WithField32(Base8(), CompressionField, Rle4Compression),
                            Unreadable("compression 2 at 8 bits a pixel")));
    // A damaged picture is not shown in part: all the pixels the header claims must be in the file.
    cases.push_back(Refused("truncated_pixel_data_half",
                            Truncated(Base24(), base24Data + (base24Size - base24Data) / 2), pixelsPastEnd));
    cases.push_back(Refused("truncated_pixel_data_mid_row", Truncated(Base24(), base24Data + 16 * 3 + 5),
                            pixelsPastEnd));
    cases.push_back(Refused("pixel_data_missing", Truncated(Base24(), base24Data), Unreadable("no pixel data")));
    cases.push_back(Refused("absurd_4000x4000_in_small_file",
                            WithField32(WithField32(Base24(), WidthField, 4000), HeightField, 4000), pixelsPastEnd));
    // A small picture, then far more than any picture within the limit needs: refused before it is read.
    PictureCase tooLong = Refused("file_longer_than_any_picture_within_the_limit", Base24(),
                                  "more than any picture within 256 MB needs");
    tooLong.Length = 256u * 1024 * 1024 + 4096;
    cases.push_back(std::move(tooLong));

    cases.push_back(Broken("index_past_short_palette", Expect::EitherWay,
                           "the format does not say what an index past the end of the palette shows",
                           Encode({.Width = 4, .Height = 2, .BitCount = 8, .ColorsUsed = 2}, Palette(2),
                                  {0, 1, 200, 255, 255, 3, 2, 1})));
    // Masks that describe no colour, or share bits, or reach past the pixel, tell no colour for sure.
    const std::string badMasks = "colour masks that are empty, overlap or do not fit ";
    cases.push_back(Refused("bitfields_zero_masks",
                            Encode({.Width = 4, .Height = 2, .BitCount = 32, .Compression = BitfieldsCompression},
                                   {}, Bytes(32, 0x5A)),
                            Unreadable(badMasks + "32 bits")));
    cases.push_back(Refused("bitfields_overlapping_masks",
                            Encode({.Width = 4, .Height = 2, .BitCount = 32, .Compression = BitfieldsCompression,
                                    .Masks = {0xFFFFFFFFu, 0x0000FFFFu, 0x80000001u, 0}},
                                   {}, Bytes(32, 0xA5)),
                            Unreadable(badMasks + "32 bits")));
    cases.push_back(Refused("bits16_bitfields_mask_past_16_bits",
                            Encode({.Width = 4, .Height = 2, .BitCount = 16, .Compression = BitfieldsCompression,
                                    .Masks = {0x001F0000u, 0x07E0, 0x001F, 0}},
                                   {}, Bytes(16, 0x3C)),
                            Unreadable(badMasks + "16 bits")));
    cases.push_back(Refused("v5_alpha_mask_overlapping_red",
                            Encode({.Size = 124, .Width = 4, .Height = 2, .BitCount = 32,
                                    .Compression = BitfieldsCompression,
                                    .Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFFFF0000}},
                                   {}, Bytes(32, 0x77)),
                            Unreadable(badMasks + "32 bits")));

    // Well-formed, but the pixels it skips are the reader's to choose.
    cases.push_back(Broken("rle8_delta_and_early_end_of_line", Expect::EitherWay,
                           "the format leaves pixels skipped by a delta or an early end of line to the reader",
                           Rle8({3, 1, 0, 0, 0, 2, 4, 1, 5, 2, 0, 0, 16, 3, 0, 1})));
    cases.push_back(Broken("rle8_run_past_row_end", Expect::EitherWay, runs, Rle8({200, 5, 0, 1})));
    cases.push_back(Broken("rle8_run_past_last_row", Expect::EitherWay, runs,
                           Rle8({255, 1, 255, 2, 255, 3, 255, 4, 0, 1})));
    cases.push_back(Broken("rle8_delta_past_bottom", Expect::EitherWay, runs, Rle8({0, 2, 3, 200, 4, 1, 0, 1})));
    cases.push_back(Broken("rle8_delta_past_right", Expect::EitherWay, runs, Rle8({0, 2, 250, 0, 4, 1, 0, 1})));
    cases.push_back(Broken("rle8_absolute_past_row_end", Expect::EitherWay, runs,
                           Rle8([] {
                               Bytes s{0, 40};
                               s.resize(2 + 40, 9);
                               s.insert(s.end(), {0, 1});
                               return s;
                           }())));
    cases.push_back(Broken("rle8_absolute_past_end_of_file", Expect::EitherWay, partial, Rle8({0, 255, 1, 2, 3, 4, 5})));
    cases.push_back(Broken("rle8_no_end_of_bitmap", Expect::EitherWay, partial, Rle8({4, 1, 0, 0, 4, 2})));
    cases.push_back(Broken("rle8_odd_stream_end", Expect::EitherWay, partial, Rle8({4})));
    cases.push_back(Broken("rle4_run_past_row_end", Expect::EitherWay, runs, Rle4({200, 0x12, 0, 1})));
    cases.push_back(Broken("rle4_absolute_past_row_end", Expect::EitherWay, runs,
                           Rle4([] {
                               Bytes s{0, 60};
                               s.resize(2 + 30, 0x34);
                               s.insert(s.end(), {0, 1});
                               return s;
                           }())));
    return cases;
}

} // namespace

std::vector<PictureCase> PictureCorpus()
{
    auto cases = ValidCases();
    auto broken = BrokenCases();
    cases.insert(cases.end(), std::make_move_iterator(broken.begin()), std::make_move_iterator(broken.end()));
    return cases;
}

} // namespace scroll::pictures

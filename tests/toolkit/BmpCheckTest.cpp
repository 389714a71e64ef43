#include "BmpCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
    std::int32_t Width = 16;
    std::int32_t Height = 8;
    std::uint16_t Bits = 24;
    std::uint32_t Compression = 0;
    std::uint32_t Colours = 0;  // palette entries in the file, and the header's count of them
};

void Put(Bytes& out, std::size_t at, std::uint32_t value, int size = 4)
{
    for (int i = 0; i < size; ++i)
        out[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

// Where the pixels of a file with a 40-byte header start: after the masks and the palette.
std::uint32_t PixelOffset(const Picture& picture)
{
    return 54 + (picture.Compression == 3 ? 12 : 0) + picture.Colours * 4;
}

// The file's first min(Length, BmpHeadBytes) bytes, as the check is given them: the headers and, with
// bit fields, 5-6-5 masks; then zeros for the palette and the pixels.
Bytes Head(const Picture& picture, std::uint64_t length)
{
    Bytes out(BmpHeadBytes);
    out[0] = 'B';
    out[1] = 'M';
    Put(out, 10, PixelOffset(picture));
    Put(out, 14, 40);
    Put(out, 18, std::uint32_t(picture.Width));
    Put(out, 22, std::uint32_t(picture.Height));
    Put(out, 26, 1, 2);
    Put(out, 28, picture.Bits, 2);
    Put(out, 30, picture.Compression);
    Put(out, 46, picture.Colours);
    if (picture.Compression == 3) {
        Put(out, 54, 0xF800);
        Put(out, 58, 0x07E0);
        Put(out, 62, 0x001F);
    }
    out.resize(std::min<std::uint64_t>(length, BmpHeadBytes));
    return out;
}

// How long the file is that holds all the pixels of an uncompressed picture.
std::uint64_t WholeLength(const Picture& picture)
{
    const std::uint64_t rowBytes = (std::uint64_t(picture.Width) * picture.Bits + 31) / 32 * 4;
    return PixelOffset(picture) + rowBytes * std::uint64_t(std::abs(std::int64_t(picture.Height)));
}

struct RefusalRow {
    const char* Name;
    Picture Claims;
    std::uint64_t Length;
    const char* Reason;  // nullptr: the picture may go to the decoder
};

void PrintTo(const RefusalRow& row, std::ostream* out)
{
    *out << row.Name;
}

class BmpRefusalTest : public testing::TestWithParam<RefusalRow> {};

TEST_P(BmpRefusalTest, RefusesWhatTheFileCannotHoldOrTheLimitForbids)
{
    const RefusalRow& row = GetParam();
    const std::optional<std::string> refusal = BmpRefusal(Head(row.Claims, row.Length), row.Length);
    if (!row.Reason)
        EXPECT_EQ(refusal, std::nullopt);
    else
        EXPECT_EQ(refusal.value_or("accepted"), row.Reason);
}

constexpr std::uint64_t Mb = 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(Length, BmpRefusalTest,
    testing::Values(RefusalRow{"AllPixelsThere", {}, WholeLength({}), nullptr},
        RefusalRow{"OneBytePixelShort", {}, WholeLength({}) - 1,
            "it is not a readable BMP picture (the pixels reach past the end of the file)"},
        RefusalRow{"BytesAfterThePixels", {}, WholeLength({}) + 1000, nullptr},
        // Compressed pixels end where their stream says, however much the header claims.
        RefusalRow{"CompressedStreamShorterThanThePicture", {.Width = 3000, .Height = 2000, .Bits = 8, .Compression = 1,
            .Colours = 256}, 54 + 1024 + 2, nullptr}),
    [](const auto& info) { return info.param.Name; });

// The limit is 256 MB as 32-bit pixels; a file may be longer by no more than the longest headers and palette.
INSTANTIATE_TEST_SUITE_P(Limit, BmpRefusalTest,
    testing::Values(RefusalRow{"Exactly256Mb", {.Width = 8192, .Height = 8192, .Bits = 32}, 54 + 256 * Mb, nullptr},
        RefusalRow{"OneRowOver", {.Width = 8192, .Height = 8193, .Bits = 8}, 1078 + 8192 * 8193,
            "the picture is too large (8192 x 8193 pixels; pictures over 256 MB are refused)"},
        RefusalRow{"TopDownOneRowOver", {.Width = 8192, .Height = -8193, .Bits = 8}, 1078 + 8192 * 8193,
            "the picture is too large (8192 x 8193 pixels; pictures over 256 MB are refused)"},
        // Width x height x 4 passes 2^63: in signed 64-bit arithmetic it wrapped below the limit.
        RefusalRow{"CompressedNear2To31Square", {.Width = 0x7FFFFFFF, .Height = 0x7FFFFFFF, .Bits = 8,
            .Compression = 1, .Colours = 256}, 2000,
            "the picture is too large (2147483647 x 2147483647 pixels; pictures over 256 MB are refused)"},
        RefusalRow{"LongestFile", {}, BmpFileLimit, nullptr},
        RefusalRow{"OneByteLonger", {}, BmpFileLimit + 1,
            "it is not a readable BMP picture (a file of 268436631 bytes, more than any picture within 256 MB needs)"}),
    [](const auto& info) { return info.param.Name; });

INSTANTIATE_TEST_SUITE_P(Palette, BmpRefusalTest,
    testing::Values(RefusalRow{"FullAt8Bits", {.Bits = 8, .Colours = 256}, 54 + 1024 + 128, nullptr},
        RefusalRow{"256At24Bits", {.Colours = 256}, 54 + 1024 + 384, nullptr},
        RefusalRow{"257At24Bits", {.Colours = 257}, 54 + 1028 + 384,
            "it is not a readable BMP picture (a palette of 257 colours for 24 bits)"},
        RefusalRow{"256At16BitsWithMasks", {.Bits = 16, .Compression = 3, .Colours = 256}, 54 + 12 + 1024 + 256,
            nullptr}),
    [](const auto& info) { return info.param.Name; });

// The check reads no further than its head of the file, however long the file.
TEST(BmpRefusal, DecidesFromTheHeadAlone)
{
    const Picture picture{.Width = 500, .Height = 400};
    Bytes whole = Head(picture, WholeLength(picture));
    whole.resize(WholeLength(picture), 0x5A);
    const std::span<const std::uint8_t> head = std::span(whole).first(BmpHeadBytes);
    EXPECT_EQ(BmpRefusal(whole, whole.size()), std::nullopt);
    EXPECT_EQ(BmpRefusal(head, whole.size()), std::nullopt);
    EXPECT_EQ(BmpRefusal(head, whole.size() - 1).value_or("accepted"),
        "it is not a readable BMP picture (the pixels reach past the end of the file)");
    // Fewer bytes than the file's start are all the file there is.
    EXPECT_EQ(BmpRefusal(std::span(whole).first(40), whole.size()).value_or("accepted"),
        "it is not a readable BMP picture (the header reaches past the end of the file)");
}

// What a decoder that trusts the header is told: the rows however they are stored, and a compressed stream
// no longer than the file holds, whatever the header claims.
TEST(BmpRefusal, TellsTheDecoderWhereThePixelsAre)
{
    const Picture topDown{.Width = 900, .Height = -400};
    TBmpPixels pixels;
    ASSERT_EQ(BmpRefusal(Head(topDown, WholeLength(topDown)), WholeLength(topDown), &pixels), std::nullopt);
    EXPECT_EQ(std::tuple(pixels.Width, pixels.Height, pixels.Offset, pixels.CompressedBytes),
        std::tuple(900, 400, std::size_t(54), std::size_t(0)));

    const Picture rle{.Bits = 8, .Compression = 1, .Colours = 256};
    const std::uint64_t length = PixelOffset(rle) + 100;
    for (const auto& [claimed, told] : {std::pair{0u, 100u}, std::pair{60u, 60u}, std::pair{101u, 100u}}) {
        Bytes head = Head(rle, length);
        Put(head, 34, claimed);
        ASSERT_EQ(BmpRefusal(head, length, &pixels), std::nullopt);
        EXPECT_EQ(pixels.CompressedBytes, told) << "claimed " << claimed;
        EXPECT_EQ(pixels.Offset, PixelOffset(rle));
    }
}

}  // namespace

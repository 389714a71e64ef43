#include "BmpCheck.h"

#include "SysUtils.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace {

constexpr std::uint64_t FileHeaderBytes = 14;
constexpr std::uint64_t LimitBytes = BmpLimitMb * 1024 * 1024;

constexpr std::uint32_t Rgb = 0;
constexpr std::uint32_t Rle8 = 1;
constexpr std::uint32_t Rle4 = 2;
constexpr std::uint32_t Bitfields = 3;

// A little-endian field of Head; the caller has checked that it lies within.
std::uint32_t Field(std::span<const std::uint8_t> Head, std::size_t At, int Bytes)
{
    std::uint32_t value = 0;
    for (int i = Bytes - 1; i >= 0; --i)
        value = value << 8 | Head[At + std::size_t(i)];
    return value;
}

}  // namespace

// The decoders trust the header's sizes and read as far as it says (wine's faulted on a 20000 x 20000
// header over a small file): what it claims must lie within the file.
std::optional<std::string> BmpRefusal(std::span<const std::uint8_t> Head, std::uint64_t Length, TBmpPixels* Pixels)
{
    // What the caller could not give, the file does not hold.
    if (Head.size() < BmpHeadBytes)
        Length = std::min<std::uint64_t>(Length, Head.size());
    Head = Head.first(std::min<std::uint64_t>(Length, BmpHeadBytes));
    if (Head.size() < FileHeaderBytes + 12 || Head[0] != 'B' || Head[1] != 'M')
        return UnreadableBmp("no BMP file header");
    const std::uint32_t headerSize = Field(Head, 14, 4);
    constexpr std::array known{12u, 40u, 52u, 56u, 108u, 124u};
    if (std::find(known.begin(), known.end(), headerSize) == known.end())
        return UnreadableBmp("an unknown header size, " + std::to_string(headerSize));
    if (FileHeaderBytes + headerSize > Head.size())
        return UnreadableBmp("the header reaches past the end of the file");
    const bool core = headerSize == 12;
    const std::int64_t width = core ? std::int64_t(Field(Head, 18, 2)) : std::int32_t(Field(Head, 18, 4));
    const std::int64_t height = core ? std::int64_t(Field(Head, 20, 2)) : std::int32_t(Field(Head, 22, 4));
    const std::uint32_t bits = Field(Head, core ? 24 : 28, 2);
    const std::uint32_t compression = core ? Rgb : Field(Head, 30, 4);
    const std::uint64_t coloursUsed = core ? 0 : Field(Head, 46, 4);
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return UnreadableBmp("a width or height out of range");
    const std::uint64_t rows = std::uint64_t(height < 0 ? -height : height);
    // Both below 2^31, so their product cannot wrap.
    if (std::uint64_t(width) * rows > LimitBytes / 4)
        return "the picture is too large (" + std::to_string(width) + " x " + std::to_string(rows)
            + " pixels; pictures over " + std::to_string(BmpLimitMb) + " MB are refused)";
    const bool paletted = bits == 1 || bits == 4 || bits == 8;
    if (!paletted && bits != 16 && bits != 24 && bits != 32)
        return UnreadableBmp("a bit count of " + std::to_string(bits));
    const bool rle = (compression == Rle8 && bits == 8) || (compression == Rle4 && bits == 4);
    if (compression != Rgb && !rle && !(compression == Bitfields && (bits == 16 || bits == 32)))
        return UnreadableBmp(
            "compression " + std::to_string(compression) + " at " + std::to_string(bits) + " bits a pixel");
    if (rle && height < 0)
        return UnreadableBmp("compressed rows stored top-down");
    // Above 8 bits a pixel a palette only helps screens of 256 colours; none holds more.
    if (coloursUsed > (paletted ? 1u << bits : 256u))
        return UnreadableBmp(
            "a palette of " + std::to_string(coloursUsed) + " colours for " + std::to_string(bits) + " bits");
    const std::uint64_t masks = compression == Bitfields && headerSize == 40 ? 12 : 0;
    const std::uint64_t colours = paletted && coloursUsed == 0 ? 1u << bits : coloursUsed;
    if (FileHeaderBytes + headerSize + masks + colours * (core ? 3 : 4) > Length)
        return UnreadableBmp("the palette reaches past the end of the file");
    // Red, green and blue are the header's bytes 40 to 52, or follow a 40-byte header; alpha is 52 to 56.
    if (compression == Bitfields) {
        const std::uint64_t pixelBits = bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
        std::uint64_t taken = headerSize >= 56 ? Field(Head, 66, 4) : 0;
        bool sound = (taken & ~pixelBits) == 0;
        for (const std::size_t at : {54u, 58u, 62u}) {
            const std::uint64_t mask = Field(Head, at, 4);
            sound = sound && mask != 0 && (mask & ~pixelBits) == 0 && (mask & taken) == 0;
            taken |= mask;
        }
        if (!sound)
            return UnreadableBmp(
                "colour masks that are empty, overlap or do not fit " + std::to_string(bits) + " bits");
    }
    const std::uint64_t pixels = Field(Head, 10, 4);
    if (pixels >= Length)
        return UnreadableBmp("no pixel data");
    // Compressed pixels end where their stream says, which only the decoder reads.
    const std::uint64_t rowBytes = (std::uint64_t(width) * bits + 31) / 32 * 4;
    if (!rle && pixels + rowBytes * rows > Length)
        return UnreadableBmp("the pixels reach past the end of the file");
    if (Length > BmpFileLimit)
        return UnreadableBmp("a file of " + std::to_string(Length) + " bytes, more than any picture within "
            + std::to_string(BmpLimitMb) + " MB needs");
    if (Pixels) {
        const std::uint64_t claimed = rle ? Field(Head, 34, 4) : 0, present = Length - pixels;
        *Pixels = {int(width), int(rows), std::size_t(pixels),
            std::size_t(rle ? (claimed == 0 || claimed > present ? present : claimed) : 0)};
    }
    return std::nullopt;
}

std::optional<std::string> BmpFileRefusal(const std::filesystem::path& Path)
{
    // Before opening: a FIFO would wait for a writer that never comes.
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(Path, error).type();
    if (type == std::filesystem::file_type::not_found)
        return "there is no such file";
    if (type == std::filesystem::file_type::directory)
        return "it is a directory";
    if (type != std::filesystem::file_type::regular)
        return "it is not a regular file";
    std::ifstream in(Path, std::ios::binary | std::ios::ate);
    if (!in)
        return "no permission to read it";
    const std::uint64_t length = std::uint64_t(std::max<std::streamoff>(in.tellg(), 0));
    std::array<std::uint8_t, BmpHeadBytes> head{};
    in.seekg(0);
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    return BmpRefusal(std::span(head).first(std::size_t(in.gcount())), length);
}

std::string UnreadableBmp(const std::string& Detail)
{
    return "it is not a readable BMP picture (" + Detail + ")";
}

void RefuseBitmap(const std::string& Name, const std::string& Reason)
{
    throw Exception("Cannot load bitmap \"" + Name + "\": " + Reason + ".");
}

#include "TBitmap.h"

#include "PictureFuture.h"
#include "SysUtils.h"
#include "SystemUi.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

TBitmap::TBitmap() : FCanvas(0x00FFFFFF) {}

namespace {

struct TPictureFile {
    std::filesystem::path Path;  // absolute
    std::string Name;  // as the user reads it
};

TPictureFile Absolute(const std::string& FileName)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(Widen(FileName)), error);
    if (error)
        path = std::filesystem::path(Widen(FileName));
    return {path, Narrow(path.wstring())};
}

[[noreturn]] void Fail(const TPictureFile& File, const std::string& Reason)
{
    throw Exception("Cannot load bitmap \"" + File.Name + "\": " + Reason + ".");
}

// Refuses what the system's decoder must not be given: its readers trust the header's sizes and read
// past the file for them (wine's LoadImage faults on a 20000 x 20000 header over a small file). Returns
// why the file is no picture, or nothing.
std::optional<std::string> Unreadable(const std::vector<char>& File)
{
    const auto field = [&File](std::size_t At, int Bytes) {
        std::uint32_t value = 0;
        for (int i = Bytes - 1; i >= 0; --i)
            value = value << 8 | std::uint8_t(File[At + std::size_t(i)]);
        return value;
    };
    constexpr std::size_t fileHeader = 14;
    if (File.size() < fileHeader + 12 || File[0] != 'B' || File[1] != 'M')
        return "no BMP file header";
    const std::uint32_t headerSize = field(14, 4);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108
        && headerSize != 124)
        return "an unknown header size, " + std::to_string(headerSize);
    if (fileHeader + headerSize > File.size())
        return "the header reaches past the end of the file";
    const bool core = headerSize == 12;
    const std::int64_t width = core ? std::int64_t(field(18, 2)) : std::int32_t(field(18, 4));
    const std::int64_t height = core ? std::int64_t(field(20, 2)) : std::int32_t(field(22, 4));
    const std::uint32_t bits = field(core ? 24 : 28, 2);
    const std::uint32_t compression = core ? BI_RGB : field(30, 4);
    const std::uint32_t coloursUsed = core ? 0 : field(46, 4);
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return "a width or height out of range";
    const std::int64_t rows = height < 0 ? -height : height;
    // The same limit as Qt's reader keeps by default on the other backend.
    constexpr std::int64_t limitMb = 256;
    if (width * rows * 4 > limitMb * 1024 * 1024)
        return "the picture is too large (" + std::to_string(width) + " x " + std::to_string(rows)
            + " pixels; pictures over " + std::to_string(limitMb) + " MB are refused)";
    const bool paletted = bits == 1 || bits == 4 || bits == 8;
    if (!paletted && bits != 16 && bits != 24 && bits != 32)
        return "a bit count of " + std::to_string(bits);
    const bool rle = (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4);
    if (compression != BI_RGB && !rle && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        return "compression " + std::to_string(compression) + " at " + std::to_string(bits) + " bits a pixel";
    if (rle && height < 0)
        return "compressed rows stored top-down";
    if (paletted && coloursUsed > (1u << bits))
        return "a palette of " + std::to_string(coloursUsed) + " colours for " + std::to_string(bits) + " bits";
    const std::uint64_t masks = compression == BI_BITFIELDS && headerSize == 40 ? 12 : 0;
    const std::uint64_t palette = paletted ? (coloursUsed ? coloursUsed : 1u << bits) * (core ? 3 : 4) : 0;
    if (fileHeader + headerSize + masks + palette > File.size())
        return "the palette reaches past the end of the file";
    const std::uint64_t pixels = field(10, 4);
    if (pixels >= File.size())
        return "no pixel data";
    const std::uint64_t rowBytes = (std::uint64_t(width) * bits + 31) / 32 * 4;
    if (!rle && pixels + rowBytes * std::uint64_t(rows) > File.size())
        return "the pixels reach past the end of the file";
    return std::nullopt;
}

// The system's decoder, as the program's users' other programs read BMP files: into 32-bit pixels.
TCanvas::TPicture ReadPicture(const TPictureFile& File)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(File.Path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        Fail(File, "there is no such file");
    if (status.type() == std::filesystem::file_type::directory)
        Fail(File, "it is a directory");
    if (status.type() != std::filesystem::file_type::regular)
        Fail(File, "it is not a regular file");
    std::ifstream in(File.Path, std::ios::binary);
    if (!in)
        Fail(File, "no permission to read it");
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A picture over the limit is a picture all the same, and is called what it is, as on the other backend.
    if (const std::optional<std::string> reason = Unreadable(bytes))
        Fail(File, reason->starts_with("the picture is too large") ? *reason
                                                                   : "it is not a readable BMP picture (" + *reason + ")");

    // The header with its masks and palette, aligned as the system reads it: at most a V5 header, three
    // masks and 256 colours, which Unreadable has checked lie within the file.
    std::uint32_t headerBytes = 0, pixelOffset = 0;
    std::memcpy(&headerBytes, bytes.data() + 14, sizeof headerBytes);
    std::memcpy(&pixelOffset, bytes.data() + 10, sizeof pixelOffset);
    std::array<std::uint32_t, (124 + 12 + 256 * 4) / 4> header{};
    std::memcpy(header.data(), bytes.data() + 14, std::min(bytes.size() - 14, sizeof header));
    auto* format = reinterpret_cast<BITMAPINFO*>(header.data());
    const bool core = headerBytes == sizeof(BITMAPCOREHEADER);
    const auto* coreHeader = reinterpret_cast<const BITMAPCOREHEADER*>(format);
    // Compressed pixels end where the file ends, whatever the header says: the decoder reads no further.
    if (!core && (format->bmiHeader.biCompression == BI_RLE8 || format->bmiHeader.biCompression == BI_RLE4)) {
        const DWORD present = DWORD(bytes.size() - pixelOffset);
        if (format->bmiHeader.biSizeImage == 0 || format->bmiHeader.biSizeImage > present)
            format->bmiHeader.biSizeImage = present;
    }
    auto picture = std::make_shared<TCanvas::TPixels>();
    picture->Width = core ? coreHeader->bcWidth : format->bmiHeader.biWidth;
    picture->Height = core ? coreHeader->bcHeight : std::abs(format->bmiHeader.biHeight);
    picture->Data.resize(std::size_t(picture->Width) * picture->Height);
    BITMAPINFO target{};
    target.bmiHeader = {sizeof(BITMAPINFOHEADER), picture->Width, -picture->Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC memory = CreateCompatibleDC(nullptr);
    const int rows = bitmap ? SetDIBits(memory, bitmap, 0, UINT(picture->Height),
                                  bytes.data() + pixelOffset, format, DIB_RGB_COLORS)
                            : 0;
    GdiFlush();
    if (rows == picture->Height)
        // The fourth byte is no colour: kept zero, so that equal pictures are equal words.
        for (std::size_t i = 0; i < picture->Data.size(); ++i)
            picture->Data[i] = static_cast<const std::uint32_t*>(bits)[i] & 0x00FFFFFF;
    DeleteDC(memory);
    if (bitmap)
        DeleteObject(bitmap);
    if (rows != picture->Height)
        Fail(File, "it is not a readable BMP picture (the system's decoder refused it)");
    return picture;
}

// What tells a file apart from another put in its place between a preload and the load that takes it.
struct TFileStamp {
    std::filesystem::path Path;
    std::uintmax_t Size;
    std::filesystem::file_time_type Modified;
    bool operator==(const TFileStamp&) const = default;
};

TFileStamp StampOf(const std::filesystem::path& Path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(Path, error);
    return {Path, error ? 0 : size, std::filesystem::last_write_time(Path, error)};
}

TPictureFuture<TCanvas::TPicture, TFileStamp> Preloaded;

}  // namespace

void TBitmap::Preload(const std::string& FileName)
{
    const TPictureFile file = Absolute(FileName);
    Preloaded.Start(StampOf(file.Path), [file] { return ReadPicture(file); });
}

void TBitmap::LoadFromFile(const std::string& FileName)
{
    const TPictureFile file = Absolute(FileName);
    std::optional<TCanvas::TPicture> preloaded = Preloaded.Take(StampOf(file.Path));
    FCanvas.SetPicture(preloaded ? std::move(*preloaded) : ReadPicture(file));
}

int TBitmap::Width() const
{
    return FCanvas.Width();
}

int TBitmap::Height() const
{
    return FCanvas.Height();
}

TCanvas* TBitmap::Canvas()
{
    return &FCanvas;
}

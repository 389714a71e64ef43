#include "TBitmap.h"

#include "BmpCheck.h"
#include "PictureFuture.h"
#include "SysUtils.h"
#include "SystemUi.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

// The system's decoder, as the program's users' other programs read BMP files: into 32-bit pixels.
TCanvas::TPicture ReadPicture(const TPictureFile& File)
{
    if (const std::optional<std::string> reason = BmpFileRefusal(File.Path))
        RefuseBitmap(File.Name, *reason);
    // The decoder trusts the header, so it gets only bytes that passed the check: read once, and checked
    // again, as the file may have changed since.
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(File.Path, error);
    std::vector<std::uint8_t> bytes(error ? 0 : std::min<std::uintmax_t>(length, BmpFileLimit + 1));
    std::ifstream in(File.Path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(std::size_t(in.gcount()));
    if (const std::optional<std::string> reason = BmpRefusal(bytes, bytes.size()))
        RefuseBitmap(File.Name, *reason);

    // The header with its masks and palette, aligned as the system reads it: at most a V5 header, three
    // masks and 256 colours, which the check has found within the file.
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
        RefuseBitmap(File.Name, UnreadableBmp("the system's decoder refused it"));
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

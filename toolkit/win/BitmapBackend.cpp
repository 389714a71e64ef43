#include "BitmapBackend.h"

#include "BmpCheck.h"
#include "SystemUi.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

// The fourth byte is no colour to the system's DIBs: kept zero, so that equal pictures are equal words.
const std::uint32_t BitmapTopByte = 0;

// The system's decoder, as the program's users' other programs read BMP files: into 32-bit pixels.
TCanvas::TPicture DecodeBmp(const std::filesystem::path& Path, const std::string& Name)
{
    // The decoder trusts the header, so it gets only bytes that passed the check: read once, and checked
    // again, as the file may have changed since.
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(Path, error);
    std::vector<std::uint8_t> bytes(error ? 0 : std::min<std::uintmax_t>(length, BmpFileLimit + 1));
    std::ifstream in(Path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(std::size_t(in.gcount()));
    TBmpPixels pixels;
    if (const std::optional<std::string> reason = BmpRefusal(bytes, bytes.size(), &pixels))
        RefuseBitmap(Name, *reason);

    // The header with its masks and palette, aligned as the system reads it: at most a V5 header, three
    // masks and 256 colours, which the check has found within the file.
    std::array<std::uint32_t, (124 + 12 + 256 * 4) / 4> header{};
    std::memcpy(header.data(), bytes.data() + 14, std::min(bytes.size() - 14, sizeof header));
    auto* format = reinterpret_cast<BITMAPINFO*>(header.data());
    if (pixels.CompressedBytes)
        format->bmiHeader.biSizeImage = DWORD(pixels.CompressedBytes);
    auto picture = std::make_shared<TCanvas::TPixels>();
    picture->Width = pixels.Width;
    picture->Height = pixels.Height;
    picture->Data.resize(std::size_t(picture->Width) * picture->Height);
    BITMAPINFO target{};
    target.bmiHeader = {sizeof(BITMAPINFOHEADER), picture->Width, -picture->Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC memory = CreateCompatibleDC(nullptr);
    const int rows = bitmap ? SetDIBits(memory, bitmap, 0, UINT(picture->Height),
                                  bytes.data() + pixels.Offset, format, DIB_RGB_COLORS)
                            : 0;
    GdiFlush();
    if (rows == picture->Height)
        for (std::size_t i = 0; i < picture->Data.size(); ++i)
            picture->Data[i] = (static_cast<const std::uint32_t*>(bits)[i] & 0x00FFFFFF) | BitmapTopByte;
    DeleteDC(memory);
    if (bitmap)
        DeleteObject(bitmap);
    if (rows != picture->Height)
        RefuseBitmap(Name, UnreadableBmp("the system's decoder refused it"));
    return picture;
}

std::int64_t FileChangeTime(const std::filesystem::path& Path)
{
    // Its attributes only, whoever else has it open; a folder too.
    const HANDLE file = CreateFileW(Path.c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    FILE_BASIC_INFO basic{};
    const bool known = GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic);
    CloseHandle(file);
    return known ? basic.ChangeTime.QuadPart : 0;
}

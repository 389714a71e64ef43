#include "TBitmap.h"

#include "SysUtils.h"
#include "SystemUi.h"

#include <filesystem>
#include <future>
#include <mutex>
#include <optional>
#include <system_error>
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

// The system's reader, as the program's users' other programs read BMP files, into 32-bit pixels.
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
    const HANDLE probe = CreateFileW(File.Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        Fail(File, "no permission to read it");
    CloseHandle(probe);

    const auto bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, File.Path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap)
        Fail(File, "it is not a readable BMP picture (the system's reader refused it, error "
                       + std::to_string(GetLastError()) + ")");
    BITMAP size{};
    GetObjectW(bitmap, sizeof size, &size);
    auto picture = std::make_shared<TCanvas::TPixels>();
    picture->Width = size.bmWidth;
    picture->Height = size.bmHeight < 0 ? -size.bmHeight : size.bmHeight;
    picture->Data.resize(std::size_t(picture->Width) * picture->Height);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), picture->Width, -picture->Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const HDC screen = CreateCompatibleDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, UINT(picture->Height), picture->Data.data(), &format, DIB_RGB_COLORS);
    DeleteDC(screen);
    DeleteObject(bitmap);
    if (rows != picture->Height)
        Fail(File, "it is not a readable BMP picture (its pixels could not be read)");
    // The fourth byte is no colour: kept zero, so that equal pictures are equal words.
    for (std::uint32_t& pixel : picture->Data)
        pixel &= 0x00FFFFFF;
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

struct TPreload {
    TFileStamp Stamp;
    std::future<TCanvas::TPicture> Picture;
};

std::mutex PreloadLock;
std::optional<TPreload> Preloaded;

// The preloaded picture, or the error that reading it raised, when it is this file; a preload of any
// other file is dropped, so that its picture takes no memory from here on.
std::optional<TCanvas::TPicture> TakePreloaded(const std::filesystem::path& Path)
{
    std::optional<TPreload> preload;
    {
        std::lock_guard lock(PreloadLock);
        preload.swap(Preloaded);
    }
    if (!preload || !(preload->Stamp == StampOf(Path)))
        return std::nullopt;
    return preload->Picture.get();
}

}  // namespace

void TBitmap::Preload(const std::string& FileName)
{
    const TPictureFile file = Absolute(FileName);
    TPreload preload{StampOf(file.Path), {}};
    try {
        preload.Picture = std::async(std::launch::async, [file] { return ReadPicture(file); });
    } catch (const std::system_error&) {
        return;  // no thread to spare: the load reads the file itself
    }
    std::lock_guard lock(PreloadLock);
    Preloaded = std::move(preload);
}

void TBitmap::LoadFromFile(const std::string& FileName)
{
    const TPictureFile file = Absolute(FileName);
    std::optional<TCanvas::TPicture> preloaded = TakePreloaded(file.Path);
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

#include "TBitmap.h"

#include "BitmapBackend.h"
#include "BmpCheck.h"
#include "PictureFuture.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

TBitmap::TBitmap() : FCanvas(BitmapTopByte | 0x00FFFFFF) {}

namespace {

struct TPictureFile {
    std::filesystem::path Path;  // absolute
    std::string Name;  // as the user reads it
};

// FileName made absolute from the current folder, without its "." and "..", as the system writes paths;
// nothing where Windows cannot convert the name, or its folder's, between UTF-8 and its UTF-16 names.
std::optional<TPictureFile> PictureFile(const std::string& FileName)
{
    try {
        const std::filesystem::path given(std::u8string(FileName.begin(), FileName.end()));
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(given, error);
        const std::filesystem::path path = (error ? given : absolute).lexically_normal();
        const std::u8string name = path.u8string();
        return TPictureFile{path, std::string(name.begin(), name.end())};
    } catch (const std::filesystem::filesystem_error&) {
        return std::nullopt;
    }
}

TCanvas::TPicture ReadPicture(const TPictureFile& File)
{
    if (const std::optional<std::string> reason = BmpFileRefusal(File.Path))
        RefuseBitmap(File.Name, *reason);
    return DecodeBmp(File.Path, File.Name);
}

// What tells a file apart from another put in its place between a preload and the load that takes it.
struct TFileStamp {
    std::filesystem::path Path;
    std::filesystem::file_type Type;
    std::uintmax_t Size;
    std::filesystem::file_time_type Modified;
    std::int64_t Changed;
    bool operator==(const TFileStamp&) const = default;
};

TFileStamp StampOf(const std::filesystem::path& Path)
{
    // What cannot be read stamps alike each time; the load then says why.
    std::error_code ignored;
    return {Path, std::filesystem::status(Path, ignored).type(), std::filesystem::file_size(Path, ignored),
        std::filesystem::last_write_time(Path, ignored), FileChangeTime(Path)};
}

TPictureFuture<TCanvas::TPicture, TFileStamp> Preloaded;

}  // namespace

void TBitmap::Preload(const std::string& FileName)
{
    // A name the system cannot take is left to the load, which says so.
    if (const std::optional<TPictureFile> file = PictureFile(FileName))
        Preloaded.Start(StampOf(file->Path), [file = *file] { return ReadPicture(file); });
}

void TBitmap::LoadFromFile(const std::string& FileName)
{
    const std::optional<TPictureFile> file = PictureFile(FileName);
    if (!file)
        RefuseBitmap(FileName, "the system cannot take its name");
    std::optional<TCanvas::TPicture> preloaded = Preloaded.Take(StampOf(file->Path));
    FCanvas.SetPicture(preloaded ? std::move(*preloaded) : ReadPicture(*file));
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

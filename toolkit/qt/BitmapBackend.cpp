#include "BitmapBackend.h"

#include "BmpCheck.h"

#include <QFile>
#include <QImageReader>

#include <sys/stat.h>

#include <algorithm>

// Drawn onto a surface with alpha, where a 0 would show through.
const std::uint32_t BitmapTopByte = 0xFF000000;

namespace {

// The check decides the size limit; Qt's own, lower in some versions, would refuse what it lets pass. Set as
// the program starts, before any reader runs on any thread.
[[maybe_unused]] const bool CheckedLimit = (QImageReader::setAllocationLimit(int(BmpLimitMb)), true);

// The decoder's picture as the canvas holds it, or nothing when it cannot be read.
TCanvas::TPicture Decode(QImageReader& reader, QSize size)
{
    auto picture = std::make_shared<TCanvas::TPixels>();
    // Qt's decoder leaves the pixels a damaged file lacks as it found them: a picture filled beforehand
    // keeps them from showing whatever the memory held. One of the canvas's format it writes straight into.
    QImage decoded;
    if (size.isValid() && reader.imageFormat() == QImage::Format_RGB32) {
        picture->Width = size.width();
        picture->Height = size.height();
        picture->Data.assign(std::size_t(size.width()) * size.height(), BitmapTopByte);
        decoded = QImage(reinterpret_cast<uchar*>(picture->Data.data()), size.width(), size.height(),
            qsizetype(size.width()) * 4, QImage::Format_RGB32);
    } else if (size.isValid()) {
        decoded = QImage(size, reader.imageFormat());
        decoded.fill(0);
    }
    if (!reader.read(&decoded))
        return nullptr;
    if (decoded.constBits() != reinterpret_cast<const uchar*>(picture->Data.data())) {
        // Decoded into pixels of its own, of another format.
        decoded.convertTo(QImage::Format_RGB32);
        picture->Width = decoded.width();
        picture->Height = decoded.height();
        picture->Data.resize(std::size_t(decoded.width()) * decoded.height());
        for (int y = 0; y < decoded.height(); ++y)
            std::copy_n(reinterpret_cast<const std::uint32_t*>(decoded.constScanLine(y)), decoded.width(),
                picture->Data.begin() + std::ptrdiff_t(y) * decoded.width());
    }
    return picture;
}

}  // namespace

TCanvas::TPicture DecodeBmp(const std::filesystem::path& Path, const std::string& Name)
{
    QImageReader reader(QFile::decodeName(Path.c_str()), "bmp");
    TCanvas::TPicture picture = Decode(reader, reader.size());
    if (!picture)
        RefuseBitmap(Name, UnreadableBmp(reader.errorString().toStdString()));
    return picture;
}

std::int64_t FileChangeTime(const std::filesystem::path& Path)
{
    struct stat status {};
    if (stat(Path.c_str(), &status) != 0)
        return 0;
    return std::int64_t(status.st_ctim.tv_sec) * 1'000'000'000 + status.st_ctim.tv_nsec;
}

#include "TBitmap.h"

#include "BmpCheck.h"
#include "PictureFuture.h"
#include "SysUtils.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

TBitmap::TBitmap() : FCanvas(QColor(Qt::white).rgb()) {}

namespace {

// The check decides the size limit; Qt's own, lower in some versions, would refuse what it lets pass. Set on
// the thread that loads or starts a preload, before any reader runs on another.
void UseTheCheckedLimit()
{
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(int(BmpLimitMb)); });
}

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
        picture->Data.assign(std::size_t(size.width()) * size.height(), 0xFF000000);
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

TCanvas::TPicture ReadPicture(const QFileInfo& file)
{
    const std::string name = file.absoluteFilePath().toStdString();
    if (const std::optional<std::string> reason = BmpFileRefusal(file.filesystemAbsoluteFilePath()))
        RefuseBitmap(name, *reason);
    QImageReader reader(file.filePath(), "bmp");
    TCanvas::TPicture picture = Decode(reader, reader.size());
    if (!picture)
        RefuseBitmap(name, UnreadableBmp(reader.errorString().toStdString()));
    return picture;
}

// What tells a file apart from another put in its place between a preload and the load that takes it.
struct TFileStamp {
    QString Path;
    bool Exists;
    qint64 Size;
    QDateTime Modified;
    QDateTime Changed;
    bool operator==(const TFileStamp&) const = default;
};

TFileStamp StampOf(const QFileInfo& file)
{
    return {file.absoluteFilePath(), file.exists(), file.size(), file.lastModified(), file.metadataChangeTime()};
}

TPictureFuture<TCanvas::TPicture, TFileStamp> Preloaded;

}  // namespace

void TBitmap::Preload(const std::string& FileName)
{
    UseTheCheckedLimit();
    const QFileInfo file(QString::fromStdString(FileName));
    Preloaded.Start(StampOf(file), [path = file.absoluteFilePath()] {
        return ReadPicture(QFileInfo(path));
    });
}

void TBitmap::LoadFromFile(const std::string& FileName)
{
    UseTheCheckedLimit();
    const QFileInfo file(QString::fromStdString(FileName));
    std::optional<TCanvas::TPicture> preloaded = Preloaded.Take(StampOf(file));
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

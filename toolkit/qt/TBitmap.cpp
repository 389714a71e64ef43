#include "TBitmap.h"

#include "BmpCheck.h"
#include "PictureFuture.h"
#include "SysUtils.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>

#include <mutex>
#include <optional>
#include <utility>

TBitmap::TBitmap() : FCanvas(Qt::white) {}

namespace {

// The check decides the size limit; Qt's own, lower in some versions, would refuse what it lets pass. Set on
// the thread that loads or starts a preload, before any reader runs on another.
void UseTheCheckedLimit()
{
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(int(BmpLimitMb)); });
}

QImage ReadPicture(const QFileInfo& file, QImage::Format format)
{
    const std::string name = file.absoluteFilePath().toStdString();
    if (const std::optional<std::string> reason = BmpFileRefusal(file.filesystemAbsoluteFilePath()))
        RefuseBitmap(name, *reason);
    QImageReader reader(file.filePath(), "bmp");
    const QSize size = reader.size();
    // Qt's decoder leaves the pixels a damaged file lacks as it found them: a picture filled beforehand
    // keeps them from showing whatever the memory held.
    QImage picture;
    if (size.isValid()) {
        picture = QImage(size, reader.imageFormat());
        picture.fill(0);
    }
    if (!reader.read(&picture))
        RefuseBitmap(name, UnreadableBmp(reader.errorString().toStdString()));
    picture.convertTo(format);
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

TPictureFuture<QImage, TFileStamp> Preloaded;

}  // namespace

void TBitmap::Preload(const std::string& FileName)
{
    UseTheCheckedLimit();
    const QFileInfo file(QString::fromStdString(FileName));
    Preloaded.Start(StampOf(file), [path = file.absoluteFilePath()] {
        return ReadPicture(QFileInfo(path), TCanvas::PixelFormat);
    });
}

void TBitmap::LoadFromFile(const std::string& FileName)
{
    UseTheCheckedLimit();
    const QFileInfo file(QString::fromStdString(FileName));
    std::optional<QImage> preloaded = Preloaded.Take(StampOf(file));
    QImage picture = preloaded ? std::move(*preloaded) : ReadPicture(file, TCanvas::PixelFormat);
    FCanvas.SetPicture(std::move(picture));
}

int TBitmap::Width() const
{
    std::lock_guard<TPictureLock> lock(FCanvas.FLock);
    return FCanvas.FImage.width();
}

int TBitmap::Height() const
{
    std::lock_guard<TPictureLock> lock(FCanvas.FLock);
    return FCanvas.FImage.height();
}

TCanvas* TBitmap::Canvas()
{
    return &FCanvas;
}

#include "TBitmap.h"

#include "PictureFuture.h"
#include "SysUtils.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <mutex>
#include <optional>
#include <utility>

TBitmap::TBitmap() : FCanvas(Qt::white) {}

namespace {

QImage ReadPicture(const QFileInfo& file, QImage::Format format)
{
    const auto fail = [&file](const QString& reason) {
        throw Exception(QStringLiteral("Cannot load bitmap \"%1\": %2.").arg(file.absoluteFilePath(), reason).toStdString());
    };
    // Qt's reader reports every failure to open as a missing file; tell the user which it is.
    if (!file.exists())
        fail(QStringLiteral("there is no such file"));
    if (file.isDir())
        fail(QStringLiteral("it is a directory"));
    if (!file.isFile())
        fail(QStringLiteral("it is not a regular file"));
    if (!file.isReadable())
        fail(QStringLiteral("no permission to read it"));

    // Qt takes pixels that start past the end of the file for an empty picture; such a file holds none.
    QFile raw(file.filePath());
    if (raw.open(QIODevice::ReadOnly)) {
        const QByteArray fileHeader = raw.read(14);
        if (fileHeader.size() == 14 && qFromLittleEndian<quint32>(fileHeader.constData() + 10) >= raw.size())
            fail(QStringLiteral("it is not a readable BMP picture (no pixel data)"));
    }

    QImageReader reader(file.filePath(), "bmp");
    // Qt refuses pictures above its allocation limit, which stays in force; say so rather than "unreadable".
    const QSize size = reader.size();
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (size.isValid() && limitBytes > 0 && qint64(size.width()) * size.height() * 4 > limitBytes)
        fail(QStringLiteral("the picture is too large (%1 x %2 pixels; pictures over %3 MB are refused)")
                 .arg(size.width())
                 .arg(size.height())
                 .arg(QImageReader::allocationLimit()));
    // Qt's decoder leaves the pixels a damaged file lacks as it found them: a picture filled beforehand
    // keeps them from showing whatever the memory held.
    QImage picture;
    if (size.isValid()) {
        picture = QImage(size, reader.imageFormat());
        picture.fill(0);
    }
    if (!reader.read(&picture))
        fail(QStringLiteral("it is not a readable BMP picture (%1)").arg(reader.errorString()));
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
    const QFileInfo file(QString::fromStdString(FileName));
    Preloaded.Start(StampOf(file), [path = file.absoluteFilePath()] {
        return ReadPicture(QFileInfo(path), TCanvas::PixelFormat);
    });
}

void TBitmap::LoadFromFile(const std::string& FileName)
{
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

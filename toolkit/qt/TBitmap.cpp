#include "TBitmap.h"

#include "PictureFuture.h"
#include "SysUtils.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <optional>
#include <utility>

TBitmap::TBitmap() : FCanvas(QColor(Qt::white).rgb()) {}

namespace {

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
    TCanvas::TPicture picture = Decode(reader, size);
    if (!picture)
        fail(QStringLiteral("it is not a readable BMP picture (%1)").arg(reader.errorString()));
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
    const QFileInfo file(QString::fromStdString(FileName));
    Preloaded.Start(StampOf(file), [path = file.absoluteFilePath()] {
        return ReadPicture(QFileInfo(path));
    });
}

void TBitmap::LoadFromFile(const std::string& FileName)
{
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

#include "TCanvas.h"

#include <QPainter>

#include <cstring>
#include <optional>

namespace {

// Pictures are far smaller than this; keeping coordinates within it keeps all arithmetic below in range.
constexpr std::int32_t CoordinateLimit = 1 << 24;

std::optional<QRect> ToQRect(const TRect& Rect)
{
    for (std::int32_t coordinate : {Rect.Left, Rect.Top, Rect.Right, Rect.Bottom})
        if (coordinate < -CoordinateLimit || coordinate > CoordinateLimit)
            return std::nullopt;
    if (Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top)
        return std::nullopt;
    return QRect(Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
}

}  // namespace

TCanvas::TCanvas(QColor Background) : FBackground(Background) {}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source)
{
    const std::optional<QRect> dest = ToQRect(Dest);
    const std::optional<QRect> source = ToQRect(Source);
    if (!Canvas || !dest || !source)
        return;
    {
        std::unique_lock<TPictureLock> mine(FLock, std::defer_lock);
        std::unique_lock<TPictureLock> theirs;
        if (Canvas == this) {
            mine.lock();
        } else {
            theirs = std::unique_lock<TPictureLock>(Canvas->FLock, std::defer_lock);
            std::lock(mine, theirs);
        }
        // A second handle on the source: when both are this canvas, writing detaches our picture and
        // the copy reads the untouched original.
        const QImage from = Canvas->FImage;
        if (FImage.isNull())
            return;
        if (!from.rect().contains(*source)) {
            QPainter painter(&FImage);
            painter.fillRect(*dest, FBackground);
        }
        if (dest->size() == source->size()) {
            const QPoint shift = source->topLeft() - dest->topLeft();
            const QRect target = (from.rect() & *source).translated(-shift) & FImage.rect();
            const int pixelBytes = FImage.depth() / 8;
            uchar* bits = FImage.bits();
            for (int y = target.top(); y <= target.bottom(); ++y)
                std::memcpy(bits + y * FImage.bytesPerLine() + target.left() * pixelBytes,
                    from.constScanLine(y + shift.y()) + (target.left() + shift.x()) * pixelBytes,
                    std::size_t(target.width()) * pixelBytes);
        } else {
            QPainter painter(&FImage);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(*dest, from, *source);
        }
    }
    if (FOnChange)
        FOnChange();
}

void TCanvas::Fit(QSize Size)
{
    std::lock_guard<TPictureLock> lock(FLock);
    if (FImage.size() == Size)
        return;
    QImage picture(Size, PixelFormat);
    picture.fill(FBackground);
    QPainter(&picture).drawImage(0, 0, FImage);
    FImage = std::move(picture);
}

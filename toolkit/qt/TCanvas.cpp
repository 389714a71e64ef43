#include "TCanvas.h"

#include <QPainter>

#include <utility>

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
        Canvas->Settle();
        if (FImage.isNull())
            return;
        if (dest->size() == source->size()) {
            TPendingCopy copy{*dest & FImage.rect(), Canvas->FImage, source->topLeft() - dest->topLeft(),
                !Canvas->FImage.rect().contains(*source)};
            // Only a copy that covers the pending one makes it moot; otherwise both must show.
            if (FPending && !copy.Dest.contains(FPending->Dest))
                Settle();
            FPending = std::move(copy);
        } else {
            Settle();
            const QImage from = Canvas->FImage;  // its own handle: writing to a picture copied onto itself detaches ours
            QPainter painter(&FImage);
            if (!from.rect().contains(*source))
                painter.fillRect(*dest, FBackground);
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
    Settle();
    QImage picture(Size, PixelFormat);
    picture.fill(FBackground);
    QPainter(&picture).drawImage(0, 0, FImage);
    FImage = std::move(picture);
}

void TCanvas::SetPicture(QImage Picture)
{
    std::lock_guard<TPictureLock> lock(FLock);
    FPending.reset();
    FImage = std::move(Picture);
}

void TCanvas::Paint(QPainter& Painter) const
{
    // Handles of the pictures taken under the lock are drawn outside it, so that a tick never waits for a
    // paint: pictures written meanwhile detach from them.
    QImage picture;
    std::optional<TPendingCopy> pending;
    {
        std::lock_guard<TPictureLock> lock(FLock);
        pending = FPending;
        if (!pending || pending->Dest != FImage.rect())
            picture = FImage;
    }
    if (!picture.isNull())
        Painter.drawImage(0, 0, picture);
    if (pending)
        Draw(Painter, *pending, FBackground);
}

void TCanvas::Settle()
{
    if (!FPending)
        return;
    QPainter painter(&FImage);
    Draw(painter, *FPending, FBackground);
    FPending.reset();
}

void TCanvas::Draw(QPainter& Painter, const TPendingCopy& Copy, QColor Background)
{
    if (Copy.FillsBackground)
        Painter.fillRect(Copy.Dest, Background);
    const QRect target = Copy.From.rect().translated(-Copy.Shift) & Copy.Dest;
    if (!target.isEmpty())
        Painter.drawImage(target.topLeft(), Copy.From, target.translated(Copy.Shift));
}

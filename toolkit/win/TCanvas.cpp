#include "TCanvas.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Pictures are far smaller than this; keeping coordinates within it keeps all arithmetic below in range.
constexpr std::int32_t CoordinateLimit = 1 << 24;

bool Valid(const TRect& Rect)
{
    for (std::int32_t coordinate : {Rect.Left, Rect.Top, Rect.Right, Rect.Bottom})
        if (coordinate < -CoordinateLimit || coordinate > CoordinateLimit)
            return false;
    return Rect.Right > Rect.Left && Rect.Bottom > Rect.Top;
}

TRect Intersection(const TRect& A, const TRect& B)
{
    return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
}

bool Empty(const TRect& Rect)
{
    return Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top;
}

bool Contains(const TRect& Outer, const TRect& Inner)
{
    return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right
        && Inner.Bottom <= Outer.Bottom;
}

bool operator==(const TRect& A, const TRect& B)
{
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

template <class TPixelsType>
TRect Bounds(const TPixelsType* Pixels)
{
    return Pixels ? TRect{0, 0, Pixels->Width, Pixels->Height} : TRect{0, 0, 0, 0};
}

void Fill(std::uint32_t* Target, int Width, const TRect& Rect, std::uint32_t Colour)
{
    for (int y = Rect.Top; y < Rect.Bottom; ++y)
        std::fill_n(Target + std::size_t(y) * Width + Rect.Left, Rect.Right - Rect.Left, Colour);
}

}  // namespace

TCanvas::TCanvas(std::uint32_t Background) : FBackground(Background) {}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source)
{
    if (!Canvas || !Valid(Dest) || !Valid(Source))
        return;
    {
        std::unique_lock mine(FLock, std::defer_lock);
        std::unique_lock<std::mutex> theirs;
        if (Canvas == this) {
            mine.lock();
        } else {
            theirs = std::unique_lock(Canvas->FLock, std::defer_lock);
            std::lock(mine, theirs);
        }
        Canvas->Settle();
        if (!FImage)
            return;
        const TPicture from = Canvas->FImage;
        const TRect dest = Intersection(Dest, Bounds(FImage.get()));
        const int destWidth = Dest.Right - Dest.Left, destHeight = Dest.Bottom - Dest.Top;
        const int sourceWidth = Source.Right - Source.Left, sourceHeight = Source.Bottom - Source.Top;
        const bool fills = !Contains(Bounds(from.get()), Source);
        if (destWidth == sourceWidth && destHeight == sourceHeight) {
            TPendingCopy copy{dest, from, Source.Left - Dest.Left, Source.Top - Dest.Top, fills};
            // Only a copy that covers the pending one makes it moot; otherwise both must show.
            if (FPending && !Contains(copy.Dest, FPending->Dest))
                Settle();
            FPending = std::move(copy);
        } else if (!Empty(dest)) {
            Settle();
            TPixels& target = Writable();
            if (fills)
                Fill(target.Data.data(), target.Width, dest, FBackground);
            // Nearest neighbour: each target pixel shows the source pixel under its centre.
            for (int y = dest.Top; y < dest.Bottom; ++y) {
                const int sy = Source.Top + int((std::int64_t(y - Dest.Top) * 2 + 1) * sourceHeight / (2 * destHeight));
                if (!from || sy < 0 || sy >= from->Height)
                    continue;
                for (int x = dest.Left; x < dest.Right; ++x) {
                    const int sx =
                        Source.Left + int((std::int64_t(x - Dest.Left) * 2 + 1) * sourceWidth / (2 * destWidth));
                    if (sx >= 0 && sx < from->Width)
                        target.Data[std::size_t(y) * target.Width + x] = from->Data[std::size_t(sy) * from->Width + sx];
                }
            }
        }
    }
    if (FOnChange)
        FOnChange();
}

void TCanvas::Fit(int Width, int Height)
{
    auto picture = std::make_shared<TPixels>();
    picture->Width = Width;
    picture->Height = Height;
    picture->Data.assign(std::size_t(Width) * Height, FBackground);
    std::lock_guard lock(FLock);
    FPending.reset();
    FImage = std::move(picture);
}

void TCanvas::SetPicture(TPicture Picture)
{
    std::lock_guard lock(FLock);
    FPending.reset();
    // Written to only after a copy: the handle may be held elsewhere.
    FImage = std::const_pointer_cast<TPixels>(std::move(Picture));
}

int TCanvas::Width() const
{
    std::lock_guard lock(FLock);
    return FImage ? FImage->Width : 0;
}

int TCanvas::Height() const
{
    std::lock_guard lock(FLock);
    return FImage ? FImage->Height : 0;
}

void TCanvas::Paint(std::uint32_t* Target) const
{
    // Handles taken under the lock are drawn outside it, so that a tick never waits for a paint.
    TPicture picture;
    std::optional<TPendingCopy> pending;
    {
        std::lock_guard lock(FLock);
        if (!FImage)
            return;
        pending = FPending;
        picture = FImage;
    }
    if (!pending || !(pending->Dest == Bounds(picture.get())))
        std::memcpy(Target, picture->Data.data(), picture->Data.size() * sizeof(std::uint32_t));
    if (pending)
        Draw(Target, picture->Width, *pending, FBackground);
}

void TCanvas::Settle()
{
    if (!FPending)
        return;
    const TPendingCopy copy = std::move(*FPending);
    FPending.reset();
    TPixels& target = Writable();
    Draw(target.Data.data(), target.Width, copy, FBackground);
}

TCanvas::TPixels& TCanvas::Writable()
{
    if (FImage.use_count() > 1)
        FImage = std::make_shared<TPixels>(*FImage);
    return *FImage;
}

void TCanvas::Draw(std::uint32_t* Target, int Width, const TPendingCopy& Copy, std::uint32_t Background)
{
    if (Copy.FillsBackground)
        Fill(Target, Width, Copy.Dest, Background);
    const TRect from = Bounds(Copy.From.get());
    const TRect target = Intersection(
        TRect{from.Left - Copy.ShiftX, from.Top - Copy.ShiftY, from.Right - Copy.ShiftX, from.Bottom - Copy.ShiftY},
        Copy.Dest);
    if (Empty(target))
        return;
    for (int y = target.Top; y < target.Bottom; ++y)
        std::memcpy(Target + std::size_t(y) * Width + target.Left,
            Copy.From->Data.data() + std::size_t(y + Copy.ShiftY) * Copy.From->Width + target.Left + Copy.ShiftX,
            std::size_t(target.Right - target.Left) * sizeof(std::uint32_t));
}

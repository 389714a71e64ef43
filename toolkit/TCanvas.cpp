#include "TCanvas.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace {

using TPixels = TCanvas::TPixels;
using TDrawStep = TCanvas::TDrawStep;

// Pictures are far smaller than this; keeping coordinates within it keeps all arithmetic below in range.
constexpr std::int32_t CoordinateLimit = 1 << 24;

bool Empty(const TRect& Rect)
{
    return Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top;
}

bool Valid(const TRect& Rect)
{
    for (std::int32_t coordinate : {Rect.Left, Rect.Top, Rect.Right, Rect.Bottom})
        if (coordinate < -CoordinateLimit || coordinate > CoordinateLimit)
            return false;
    return !Empty(Rect);
}

TRect Intersection(const TRect& A, const TRect& B)
{
    return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
}

bool Contains(const TRect& Outer, const TRect& Inner)
{
    return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right
        && Inner.Bottom <= Outer.Bottom;
}

TRect Shifted(const TRect& Rect, int X, int Y)
{
    return {Rect.Left + X, Rect.Top + Y, Rect.Right + X, Rect.Bottom + Y};
}

TRect Bounds(const TPixels* Pixels)
{
    return Pixels ? TRect{0, 0, Pixels->Width, Pixels->Height} : TRect{0, 0, 0, 0};
}

// Draws Step into Target, Width x Height pixels, as far as it lies within them.
void Draw(const TDrawStep& Step, std::uint32_t Background, std::uint32_t* Target, int Width, int Height)
{
    const TRect dest = Intersection(Step.Dest, TRect{0, 0, Width, Height});
    if (Empty(dest))
        return;
    const std::size_t columns = std::size_t(dest.Right - dest.Left);
    for (int y = dest.Top; y < dest.Bottom; ++y) {
        std::uint32_t* row = Target + std::size_t(y) * Width + dest.Left;
        if (!Step.From) {
            std::fill_n(row, columns, Background);
            continue;
        }
        const std::size_t fromRow = std::size_t(Step.FromTop + y - Step.Dest.Top);
        const std::size_t fromColumn = std::size_t(Step.FromLeft + dest.Left - Step.Dest.Left);
        std::copy_n(Step.From->Data.data() + fromRow * Step.From->Width + fromColumn, columns, row);
    }
}

// Nearest neighbour: each pixel of Dest within Target shows the pixel of From under its centre in Source,
// where From has one.
void DrawScaled(TPixels& Target, const TRect& Dest, const TPixels* From, const TRect& Source)
{
    if (!From)
        return;
    const TRect dest = Intersection(Dest, Bounds(&Target));
    const std::int64_t destWidth = Dest.Right - Dest.Left, destHeight = Dest.Bottom - Dest.Top;
    const std::int64_t sourceWidth = Source.Right - Source.Left, sourceHeight = Source.Bottom - Source.Top;
    for (int y = dest.Top; y < dest.Bottom; ++y) {
        const int sy = Source.Top + int((std::int64_t(y - Dest.Top) * 2 + 1) * sourceHeight / (2 * destHeight));
        if (sy < 0 || sy >= From->Height)
            continue;
        for (int x = dest.Left; x < dest.Right; ++x) {
            const int sx = Source.Left + int((std::int64_t(x - Dest.Left) * 2 + 1) * sourceWidth / (2 * destWidth));
            if (sx >= 0 && sx < From->Width)
                Target.Data[std::size_t(y) * Target.Width + x] = From->Data[std::size_t(sy) * From->Width + sx];
        }
    }
}

}  // namespace

TCanvas::TCanvas(std::uint32_t Background) : FBackground(Background) {}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source)
{
    if (!Canvas || !Valid(Dest) || !Valid(Source))
        return;
    {
        std::unique_lock mine(FLock, std::defer_lock);
        std::unique_lock<TPictureLock> theirs;
        if (Canvas == this) {
            mine.lock();
        } else {
            theirs = std::unique_lock(Canvas->FLock, std::defer_lock);
            std::lock(mine, theirs);
        }
        const TRect dest = Intersection(Dest, Bounds(FPicture.get()));
        if (Empty(dest))
            return;
        Canvas->Settle();
        const TPicture from = Canvas->HandOut();
        const bool fills = !Contains(Bounds(from.get()), Source);
        const bool equalSizes = Dest.Right - Dest.Left == Source.Right - Source.Left
            && Dest.Bottom - Dest.Top == Source.Bottom - Source.Top;
        if (equalSizes) {
            TPendingCopy copy{dest, from, Source.Left - Dest.Left, Source.Top - Dest.Top, fills};
            // Only a copy that covers the pending one makes it moot; otherwise both must show.
            if (FPending && !Contains(copy.Dest, FPending->Dest))
                Settle();
            FPending = std::move(copy);
        } else {
            Settle();
            TPixels& target = Writable();
            if (fills)
                Draw(TDrawStep{dest, nullptr, 0, 0}, FBackground, target.Data.data(), target.Width, target.Height);
            DrawScaled(target, Dest, from.get(), Source);
        }
    }
    if (FOnChange)
        FOnChange();
}

void TCanvas::Fit(int Width, int Height)
{
    Width = std::max(Width, 0);
    Height = std::max(Height, 0);
    std::lock_guard lock(FLock);
    if (FPicture && FPicture->Width == Width && FPicture->Height == Height)
        return;
    auto picture = std::make_shared<TPixels>(
        TPixels{Width, Height, std::vector<std::uint32_t>(std::size_t(Width) * Height, FBackground)});
    for (const TDrawStep& step : Steps())
        Draw(step, FBackground, picture->Data.data(), Width, Height);
    FPicture = std::move(picture);
    FHandedOut = false;
    FPending.reset();
}

void TCanvas::SetPicture(TPicture Picture)
{
    std::lock_guard lock(FLock);
    FPending.reset();
    FPicture = std::const_pointer_cast<TPixels>(std::move(Picture));
    FHandedOut = true;
}

int TCanvas::Width() const
{
    std::lock_guard lock(FLock);
    return FPicture ? FPicture->Width : 0;
}

int TCanvas::Height() const
{
    std::lock_guard lock(FLock);
    return FPicture ? FPicture->Height : 0;
}

TCanvas::TShown TCanvas::Shown() const
{
    std::lock_guard lock(FLock);
    const TRect bounds = Bounds(FPicture.get());
    return {bounds.Right, bounds.Bottom, FBackground, Steps()};
}

std::vector<TCanvas::TDrawStep> TCanvas::Steps() const
{
    std::vector<TDrawStep> steps;
    const TRect bounds = Bounds(FPicture.get());
    if (Empty(bounds))
        return steps;
    if (!FPending || !Contains(FPending->Dest, bounds))
        steps.push_back(TDrawStep{bounds, HandOut(), 0, 0});
    if (FPending)
        AddSteps(*FPending, steps);
    return steps;
}

void TCanvas::AddSteps(const TPendingCopy& Copy, std::vector<TDrawStep>& Steps)
{
    if (Copy.FillsBackground)
        Steps.push_back(TDrawStep{Copy.Dest, nullptr, 0, 0});
    const TRect pixels = Intersection(Shifted(Bounds(Copy.From.get()), -Copy.ShiftX, -Copy.ShiftY), Copy.Dest);
    if (!Empty(pixels))
        Steps.push_back(TDrawStep{pixels, Copy.From, pixels.Left + Copy.ShiftX, pixels.Top + Copy.ShiftY});
}

void TCanvas::Settle()
{
    if (!FPending)
        return;
    std::vector<TDrawStep> steps;
    AddSteps(*FPending, steps);
    FPending.reset();
    TPixels& target = Writable();
    for (const TDrawStep& step : steps)
        Draw(step, FBackground, target.Data.data(), target.Width, target.Height);
}

TCanvas::TPicture TCanvas::HandOut() const
{
    FHandedOut = FHandedOut || FPicture;
    return FPicture;
}

TCanvas::TPixels& TCanvas::Writable()
{
    if (FHandedOut) {
        FPicture = std::make_shared<TPixels>(*FPicture);
        FHandedOut = false;
    }
    return *FPicture;
}

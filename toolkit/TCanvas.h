#pragma once

#include "TPictureLock.h"
#include "TRect.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The pixels of a bitmap or an image control, as drawing sees them, the same on every backend: owned by its
// TBitmap or TImage, which give it its size and pictures and show it. Any thread may draw; a paint holds the
// lock only to take handles of the pictures it shows, not while it draws them: a tick never waits for a paint.
class TCanvas {
public:
    // 32-bit pixels, 0x..RRGGBB, top row first: Qt's Format_RGB32 and the system's 32-bpp device-independent
    // layout. The top byte is no colour, and the canvas copies it as it finds it: each backend gives it as its
    // system wants it (Qt 0xFF: drawn onto a surface with alpha, a 0 there shows through; the system's DIBs 0).
    struct TPixels {
        int Width = 0;
        int Height = 0;
        std::vector<std::uint32_t> Data;
    };
    // A picture handed out (to a paint, or as the source of a copy) is never written again: the canvas's next
    // write goes to a copy of it.
    using TPicture = std::shared_ptr<const TPixels>;

    // One step of drawing the canvas: a rectangle of a picture, or of the background colour where From is
    // null. Dest is never empty and lies within the canvas's picture; the part of From it shows, within From.
    struct TDrawStep {
        TRect Dest;
        TPicture From;
        int FromLeft = 0;  // the pixel of From under Dest's top-left corner
        int FromTop = 0;
    };

    // What the canvas shows, as handles taken under its lock, to be drawn outside it: the steps in order cover
    // the whole Width x Height picture.
    struct TShown {
        int Width = 0;
        int Height = 0;
        std::uint32_t Background = 0;
        std::vector<TDrawStep> Steps;
    };

    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Copies Source of Canvas into Dest of this canvas; unequal sizes are scaled, each pixel showing the
    // source pixel under its centre. Where Source reaches past Canvas's picture, Dest shows this canvas's
    // background colour.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

private:
    friend class TBitmap;
    friend class TImage;

    // An equal-sized copy asked for and not yet made. A tick may ask for far more copies than the screen
    // shows, so the pixels move only when they are painted or read: straight from the source picture,
    // which this handle keeps as it was when the copy was asked for.
    struct TPendingCopy {
        TRect Dest;  // within the picture
        TPicture From;
        int ShiftX;  // from Dest to the source rectangle
        int ShiftY;
        bool FillsBackground;  // the source rectangle reaches past From
    };

    explicit TCanvas(std::uint32_t Background);

    // Gives the picture this size, keeping what is drawn and filling new room with the background.
    void Fit(int Width, int Height);
    // Shows Picture, which others may hold.
    void SetPicture(TPicture Picture);
    int Width() const;
    int Height() const;
    TShown Shown() const;

    // The caller holds FLock for these.
    std::vector<TDrawStep> Steps() const;
    static void AddSteps(const TPendingCopy& Copy, std::vector<TDrawStep>& Steps);
    // Makes the pending copy in the picture, before anything reads its pixels.
    void Settle();
    TPicture HandOut() const;
    TPixels& Writable();

    std::shared_ptr<TPixels> FPicture;
    mutable bool FHandedOut = false;
    std::optional<TPendingCopy> FPending;
    const std::uint32_t FBackground;
    // Guards all of the above.
    mutable TPictureLock FLock;
    std::function<void()> FOnChange;
};

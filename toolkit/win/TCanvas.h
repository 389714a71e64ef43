#pragma once

#include "TRect.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The pixels of a bitmap or an image control, as drawing sees them. Owned by its TBitmap or TImage.
// Any thread may draw; the picture is locked only while pixels are copied or their handles taken.
class TCanvas {
public:
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Copies Source of Canvas into Dest of this canvas; unequal sizes are scaled. Where Source reaches
    // past Canvas's picture, Dest shows this canvas's background colour.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

    // 32-bit pixels, 0x00RRGGBB, top row first: the system's 32-bpp device-independent layout. A picture
    // handed out is never written again; a canvas writes to a picture only nobody else holds.
    struct TPixels {
        int Width = 0;
        int Height = 0;
        std::vector<std::uint32_t> Data;
    };
    using TPicture = std::shared_ptr<const TPixels>;

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

    // Gives the picture this size, filled with the background.
    void Fit(int Width, int Height);
    void SetPicture(TPicture Picture);
    int Width() const;
    int Height() const;
    // Draws the picture into Target, a buffer of its size.
    void Paint(std::uint32_t* Target) const;
    // Makes the pending copy in the picture, before anything reads its pixels. The caller holds FLock.
    void Settle();
    // The picture, for writing: a copy of it while anybody else holds it. The caller holds FLock.
    TPixels& Writable();
    static void Draw(std::uint32_t* Target, int Width, const TPendingCopy& Copy, std::uint32_t Background);

    std::shared_ptr<TPixels> FImage;
    std::optional<TPendingCopy> FPending;
    const std::uint32_t FBackground;
    mutable std::mutex FLock;
    std::function<void()> FOnChange;
};

#pragma once

#include "TPictureLock.h"
#include "TRect.h"

#include <QColor>
#include <QImage>

#include <functional>
#include <mutex>

// The pixels of a bitmap or an image control, as drawing sees them. Owned by its TBitmap or TImage.
// Any thread may draw; the picture is locked only while pixels are copied or painted.
class TCanvas {
public:
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Copies Source of Canvas into Dest of this canvas; unequal sizes are scaled. Where Source reaches
    // past Canvas's picture, Dest shows this canvas's background colour.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

private:
    friend class TBitmap;
    friend class TImage;

    explicit TCanvas(QColor Background);

    // Every picture has this format, so equal-sized copies are plain row copies.
    static constexpr QImage::Format PixelFormat = QImage::Format_RGB32;

    // Gives the picture Size, keeping what is drawn and filling new room with the background.
    void Fit(QSize Size);

    QImage FImage;
    const QColor FBackground;
    mutable TPictureLock FLock;
    std::function<void()> FOnChange;
};

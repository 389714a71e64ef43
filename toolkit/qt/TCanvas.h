#pragma once

#include "TPictureLock.h"
#include "TRect.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>
#include <mutex>
#include <optional>

class QPainter;

// The pixels of a bitmap or an image control, as drawing sees them. Owned by its TBitmap or TImage.
// Any thread may draw. The picture is locked while it is changed or read, but a paint holds the lock only to
// take handles of the pictures it shows, not while it draws them: a tick never waits for a paint.
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

    // An equal-sized copy asked for and not yet made. A tick may ask for far more copies than the screen
    // shows, so the pixels move only when they are painted or read: straight from the source picture,
    // which this handle keeps as it was when the copy was asked for.
    struct TPendingCopy {
        QRect Dest;  // within the picture
        QImage From;
        QPoint Shift;  // from Dest to the source rectangle
        bool FillsBackground;  // the source rectangle reaches past From
    };

    explicit TCanvas(QColor Background);

    // Every picture has this format, so equal-sized copies are plain row copies.
    static constexpr QImage::Format PixelFormat = QImage::Format_RGB32;

    // Gives the picture Size, keeping what is drawn and filling new room with the background.
    void Fit(QSize Size);
    void SetPicture(QImage Picture);
    // Draws the picture at the painter's origin.
    void Paint(QPainter& Painter) const;
    // Makes the pending copy in the picture, before anything reads its pixels. The caller holds FLock.
    void Settle();
    static void Draw(QPainter& Painter, const TPendingCopy& Copy, QColor Background);

    QImage FImage;
    std::optional<TPendingCopy> FPending;
    const QColor FBackground;
    // Guards FImage and FPending.
    mutable TPictureLock FLock;
    std::function<void()> FOnChange;
};

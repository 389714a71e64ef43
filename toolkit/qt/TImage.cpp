#include "TImage.h"

#include <QPainter>

namespace {

// A picture as Qt draws it: over the picture's own pixels, not a copy, which the image keeps while it lasts.
QImage Wrap(const TCanvas::TPicture& Picture)
{
    return QImage(reinterpret_cast<const uchar*>(Picture->Data.data()), Picture->Width, Picture->Height,
        qsizetype(Picture->Width) * 4, QImage::Format_RGB32,
        [](void* Handle) { delete static_cast<TCanvas::TPicture*>(Handle); }, new TCanvas::TPicture(Picture));
}

}  // namespace

TImage::TImage(QWidget* parent)
    : QWidget(parent), FCanvas(palette().color(QPalette::Button).rgb()), FRepaint(this, [this] { update(); })
{
    // The picture covers the whole control, so the background underneath need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    FCanvas.FOnChange = [this] { FRepaint.Request(); };
}

TCanvas* TImage::Canvas()
{
    // Only the window's thread reads the control's size; other threads draw on the picture as it is.
    if (FRepaint.OnOwnerThread())
        FCanvas.Fit(width(), height());
    return &FCanvas;
}

void TImage::paintEvent(QPaintEvent* /*event*/)
{
    FCanvas.Fit(width(), height());
    const TCanvas::TShown shown = FCanvas.Shown();
    QPainter painter(this);
    for (const TCanvas::TDrawStep& step : shown.Steps) {
        const QRect dest(QPoint(step.Dest.Left, step.Dest.Top), QPoint(step.Dest.Right - 1, step.Dest.Bottom - 1));
        if (step.From)
            painter.drawImage(dest.topLeft(), Wrap(step.From), QRect(QPoint(step.FromLeft, step.FromTop), dest.size()));
        else
            painter.fillRect(dest, QColor::fromRgb(shown.Background));
    }
}

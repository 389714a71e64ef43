#include "TImage.h"

#include <QPainter>

TImage::TImage(QWidget* parent)
    : QWidget(parent), FCanvas(palette().color(QPalette::Button)), FRepaint(this, [this] { update(); })
{
    // The picture covers the whole control, so the background underneath need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    FCanvas.FOnChange = [this] { FRepaint.Request(); };
}

TCanvas* TImage::Canvas()
{
    // Only the window's thread reads the control's size; other threads draw on the picture as it is.
    if (FRepaint.OnOwnerThread())
        FCanvas.Fit(size());
    return &FCanvas;
}

void TImage::paintEvent(QPaintEvent* /*event*/)
{
    FCanvas.Fit(size());
    QPainter painter(this);
    FCanvas.Paint(painter);
}

#pragma once

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPixmap>
#include <QSize>

#include <functional>
#include <utility>

// A paint device whose every drawing of a picture calls Held with the picture and draws nothing: a widget
// rendered onto it stops in mid-draw for as long as Held takes, as a paint preempted or slowed by a busy
// machine does.
class HeldPaintDevice : public QPaintDevice {
public:
    HeldPaintDevice(QSize Size, std::function<void(const QImage&)> Held) : FSize(Size), FEngine(std::move(Held)) {}

    QPaintEngine* paintEngine() const override { return &FEngine; }

protected:
    int metric(PaintDeviceMetric Metric) const override
    {
        constexpr int dpi = 96;
        switch (Metric) {
        case PdmWidth:
            return FSize.width();
        case PdmHeight:
            return FSize.height();
        case PdmWidthMM:
            return FSize.width() * 254 / (10 * dpi);
        case PdmHeightMM:
            return FSize.height() * 254 / (10 * dpi);
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi;
        case PdmNumColors:
            return 0;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        // Claims every feature, so that the painter hands each picture to drawImage as it is.
        explicit Engine(std::function<void(const QImage&)> Held) : QPaintEngine(AllFeatures), FHeld(std::move(Held)) {}

        bool begin(QPaintDevice* /*device*/) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& /*state*/) override {}
        void drawPixmap(const QRectF& /*r*/, const QPixmap& pm, const QRectF& /*sr*/) override { FHeld(pm.toImage()); }
        void drawImage(const QRectF& /*r*/, const QImage& pm, const QRectF& /*sr*/,
            Qt::ImageConversionFlags /*flags*/) override
        {
            FHeld(pm);
        }
        Type type() const override { return User; }

    private:
        std::function<void(const QImage&)> FHeld;
    };

    QSize FSize;
    mutable Engine FEngine;
};

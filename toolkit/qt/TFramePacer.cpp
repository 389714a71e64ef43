#include "TFramePacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cmath>
#include <utility>

namespace {

std::int64_t MonotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool Exposed(const QWindow* Window)
{
    // Some platforms keep a minimised window exposed, though nobody sees it.
    return Window->isExposed() && !(Window->windowStates() & Qt::WindowMinimized);
}

}  // namespace

TFramePacer* TFramePacer::Of(QWidget* Control)
{
    QWidget* window = Control->window();
    if (auto* pacer = window->findChild<TFramePacer*>(QString(), Qt::FindDirectChildrenOnly))
        return pacer;
    return new TFramePacer(window);
}

TFramePacer::TFramePacer(QWidget* Window)
    : QObject(Window), FWindow(Window),
      FFrames({MonotonicNs, [this] { return Screen(); }, [this] { return Ask(); },
          [this](std::int64_t AtNs) { Hold(AtNs); },
          [this] {
              FHoldMissed = false;
              FHold.stop();
          },
          [this] { Show(); }, [this] { return FWindow->isVisible() && FWindow->windowHandle(); }})
{
    FHold.setSingleShot(true);
    FHold.setTimerType(Qt::PreciseTimer);
    connect(&FHold, &QTimer::timeout, this, &TFramePacer::Due);
    Window->installEventFilter(this);
}

void TFramePacer::Request()
{
    QWindow* window = FWindow->windowHandle();
    if (window && FWatched != window)
        AskOf(window);
    FFrames.Request();
}

void TFramePacer::AskOf(QWindow* Window)
{
    if (FWatched != Window) {
        FWatched = Window;
        Window->installEventFilter(this);
    }
    FFrames.Ask();
}

bool TFramePacer::Ask()
{
    // An exposed window is asked now; another when it is exposed.
    if (FWatched && Exposed(FWatched))
        FWatched->requestUpdate();
    return true;
}

void TFramePacer::Hold(std::int64_t AtNs)
{
    FHoldMissed = false;
    FHold.start(std::chrono::milliseconds(WholeMsUntil(AtNs, MonotonicNs())));
}

void TFramePacer::Due()
{
    if (InSight())
        FFrames.Due();
    else
        FHoldMissed = true;
}

bool TFramePacer::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // A native window made anew never answers what the one before it was asked.
    if (watched == FWindow) {
        QWindow* window = FWindow->windowHandle();
        if (type == QEvent::WinIdChange && window && FWindow->internalWinId())
            AskOf(window);
        return false;
    }
    if (watched != FWatched)
        return false;
    if ((type == QEvent::Expose || type == QEvent::WindowStateChange) && InSight()) {
        if (std::exchange(FHoldMissed, false))
            FFrames.Due();
        else
            FFrames.Ask();
        return false;
    }
    // Update requests that are not ours go on to Qt, which repaints the whole window for them.
    return type == QEvent::UpdateRequest && FFrames.Received();
}

void TFramePacer::Show()
{
    emit Frame();
    // Paint what changed now, in one pass, rather than when Qt gets round to it.
    QEvent paint(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(FWindow, &paint);
}

TScreenRefresh TFramePacer::Screen() const
{
    // Qt gives the rate alone, in hertz.
    const QScreen* screen = FWindow->screen();
    return {screen ? std::llround(screen->refreshRate() * 1000) : 0, 1000, std::nullopt};
}

bool TFramePacer::InSight() const
{
    const QWindow* window = FWindow->windowHandle();
    return FWindow->isVisible() && window && Exposed(window);
}

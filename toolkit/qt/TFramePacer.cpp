#include "TFramePacer.h"

#include "FrameTiming.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <chrono>

namespace {

// Well past a frame at any refresh rate, and past the 100 ms after which Qt's Wayland platform takes a
// window whose compositor sends no frames for hidden.
constexpr std::chrono::milliseconds LostAfter(250);

std::int64_t MonotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

TFramePacer* TFramePacer::Of(QWidget* Control)
{
    QWidget* window = Control->window();
    if (auto* pacer = window->findChild<TFramePacer*>(QString(), Qt::FindDirectChildrenOnly))
        return pacer;
    return new TFramePacer(window);
}

TFramePacer::TFramePacer(QWidget* Window) : QObject(Window), FWindow(Window)
{
    FHold.setSingleShot(true);
    FHold.setTimerType(Qt::PreciseTimer);
    connect(&FHold, &QTimer::timeout, this, &TFramePacer::Show);
    FLost.setSingleShot(true);
    connect(&FLost, &QTimer::timeout, this, [this] {
        if (FRequested && !FHold.isActive() && FWatched && Exposed(FWatched))
            Show();
    });
    Window->installEventFilter(this);
}

void TFramePacer::Request()
{
    // A window that is not on screen paints nothing: its controls take their changes at once.
    QWindow* window = FWindow->windowHandle();
    if (!FWindow->isVisible() || !window) {
        FRequested = false;
        FHold.stop();
        emit Frame();
        return;
    }
    // A request stands until its frame is shown, unless the window it went to is gone.
    if (FRequested && FWatched == window)
        return;
    FRequested = true;
    AskOf(window);
}

void TFramePacer::AskOf(QWindow* Window)
{
    if (FWatched != Window) {
        FWatched = Window;
        Window->installEventFilter(this);
    }
    // An exposed window is asked now; another when it is exposed.
    FLost.stop();
    if (Exposed(Window))
        Ask();
}

void TFramePacer::Ask()
{
    FWatched->requestUpdate();
    FLost.start(LostAfter);
}

bool TFramePacer::eventFilter(QObject* watched, QEvent* event)
{
    if (!FRequested)
        return false;
    const QEvent::Type type = event->type();
    // A native window made anew never answers what the one before it was asked: the request goes to the new
    // one. A frame already held back comes without it.
    if (watched == FWindow) {
        QWindow* window = FWindow->windowHandle();
        if (type == QEvent::WinIdChange && window && FWindow->internalWinId() && !FHold.isActive())
            AskOf(window);
        return false;
    }
    if (watched != FWatched)
        return false;
    // A frame held back while the window was out of sight.
    if ((type == QEvent::Expose || type == QEvent::WindowStateChange) && !FHold.isActive() && !FLost.isActive()
        && Exposed(FWatched)) {
        Ask();
        return false;
    }
    // Update requests that are not ours go on to Qt, which repaints the whole window for them.
    if (type != QEvent::UpdateRequest)
        return false;
    if (FHold.isActive())
        return true;
    const std::int64_t early = FDueNs - MonotonicNs();
    if (early > 0)
        FHold.start(std::chrono::milliseconds((early + 999'999) / 1'000'000));
    else
        Show();
    return true;
}

void TFramePacer::Show()
{
    FRequested = false;
    FLost.stop();
    FDueNs = NextFrameNs(FDueNs, MonotonicNs(), PeriodNs());
    emit Frame();
    // Paint what changed now, in one pass, rather than when Qt gets round to it.
    QEvent paint(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(FWindow, &paint);
}

std::int64_t TFramePacer::PeriodNs() const
{
    const QScreen* screen = FWindow->screen();
    const qreal hz = screen && screen->refreshRate() > 0 ? screen->refreshRate() : 60.0;
    return std::int64_t(1e9 / hz);
}

bool TFramePacer::Exposed(const QWindow* Window)
{
    // Some platforms keep a minimised window exposed, though nobody sees it.
    return Window->isExposed() && !(Window->windowStates() & Qt::WindowMinimized);
}

#include "TTimer.h"

#include "TApplication.h"

#include <limits>

TTimer::TTimer(QObject* parent) : QObject(parent), FTimer(this)
{
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] { TApplication::Dispatch(OnTimer, this); });
    Restart();
}

unsigned TTimer::Interval() const
{
    return FInterval;
}

void TTimer::SetInterval(unsigned Value)
{
    FInterval = Value;
    Restart();
}

bool TTimer::Enabled() const
{
    return FEnabled;
}

void TTimer::SetEnabled(bool Value)
{
    FEnabled = Value;
    Restart();
}

void TTimer::Restart()
{
    // An interval of 0 would spin the window thread, and one beyond QTimer's int would wrap to a short or
    // negative period: neither ticks. The largest that does is 24.8 days.
    const bool runs = FEnabled && FInterval > 0 && FInterval <= unsigned(std::numeric_limits<int>::max());
    if (runs)
        FTimer.start(int(FInterval));
    else
        FTimer.stop();
}

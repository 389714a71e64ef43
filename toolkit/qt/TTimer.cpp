#include "TTimer.h"

#include "TApplication.h"

TTimer::TTimer(QObject* parent) : QObject(parent), FTimer(this)
{
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] { TApplication::Dispatch(OnTimer, this); });
    Restart();
}

void TTimer::Restart()
{
    if (Ticks())
        FTimer.start(int(Interval()));
    else
        FTimer.stop();
}

#include "TTimer.h"

#include "SystemUi.h"
#include "TApplication.h"
#include "TForm.h"

#include <climits>

TTimer::TTimer(TForm* Owner) : TComponent(Owner), FForm(Owner)
{
    FForm->FTimers.push_back(this);
    Restart();
}

TTimer::~TTimer()
{
    KillTimer(FForm->Handle(), reinterpret_cast<UINT_PTR>(this));
    std::erase(FForm->FTimers, this);
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

void TTimer::Tick()
{
    TApplication::Dispatch(OnTimer, this);
}

void TTimer::Restart()
{
    // As on every backend: 0 would spin the window's thread and an interval beyond int would wrap, so
    // neither ticks. The system rounds intervals under 10 ms up to 10 ms.
    const HWND window = FForm->Handle();
    const auto id = reinterpret_cast<UINT_PTR>(this);
    if (FEnabled && FInterval > 0 && FInterval <= unsigned(INT_MAX))
        SetTimer(window, id, FInterval, nullptr);
    else
        KillTimer(window, id);
}

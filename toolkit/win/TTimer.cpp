#include "TTimer.h"

#include "SystemUi.h"
#include "TApplication.h"
#include "TForm.h"

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

void TTimer::Tick()
{
    TApplication::Dispatch(OnTimer, this);
}

void TTimer::Restart()
{
    // The system rounds intervals under 10 ms up to 10 ms.
    const HWND window = FForm->Handle();
    const auto id = reinterpret_cast<UINT_PTR>(this);
    if (Ticks())
        SetTimer(window, id, Interval(), nullptr);
    else
        KillTimer(window, id);
}

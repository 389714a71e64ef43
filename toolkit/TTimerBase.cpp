#include "TTimerBase.h"

#include <limits>

void TTimerBase::SetInterval(unsigned Value)
{
    FInterval = Value;
    Restart();
}

void TTimerBase::SetEnabled(bool Value)
{
    FEnabled = Value;
    Restart();
}

bool TTimerBase::Ticks() const
{
    return FEnabled && FInterval > 0 && FInterval <= unsigned(std::numeric_limits<int>::max());
}

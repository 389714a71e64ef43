#include "FrameTiming.h"

namespace {

// Wide enough for nanoseconds since any phase times any rate's numerator.
using Wide = __int128;

constexpr Wide NsPerSecond = 1'000'000'000;

Wide FloorDiv(Wide Value, Wide By)
{
    return Value / By - (Value % By < 0 ? 1 : 0);
}

}  // namespace

std::int64_t NextRefreshNs(const TScreenRefresh& Screen, std::int64_t Phase, std::int64_t Now)
{
    const bool known = Screen.Numerator > 0 && Screen.Denominator > 0;
    const Wide perSecond = known ? Screen.Numerator : 60;
    const Wide second = (known ? Screen.Denominator : 1) * NsPerSecond;
    // Refresh k is at Phase + k * second / perSecond: the first k past Now, at the first whole nanosecond of it.
    const Wide k = FloorDiv(Wide(Now - Phase) * perSecond, second) + 1;
    return Phase + std::int64_t(-FloorDiv(-k * second, perSecond));
}

std::int64_t TicksToNs(std::int64_t Ticks, std::int64_t PerSecond)
{
    return std::int64_t(FloorDiv(Wide(Ticks) * NsPerSecond, PerSecond));
}

unsigned WholeMsUntil(std::int64_t AtNs, std::int64_t Now)
{
    const std::int64_t wait = AtNs - Now;
    return unsigned(wait > 0 ? (wait + 999'999) / 1'000'000 : 0);
}

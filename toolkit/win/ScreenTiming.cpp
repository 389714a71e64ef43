#include "ScreenTiming.h"

#include "SystemUi.h"

#include <dwmapi.h>

namespace {

std::int64_t CounterFrequency()
{
    static const std::int64_t frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    return frequency;
}

}  // namespace

std::int64_t ScreenClockNs()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return TicksToNs(now.QuadPart, CounterFrequency());
}

TScreenRefresh ScreenRefresh()
{
    TScreenRefresh screen;
    DWM_TIMING_INFO timing{};
    timing.cbSize = sizeof timing;
    if (SUCCEEDED(DwmGetCompositionTimingInfo(nullptr, &timing))) {
        if (timing.rateRefresh.uiNumerator && timing.rateRefresh.uiDenominator)
            screen = {timing.rateRefresh.uiNumerator, timing.rateRefresh.uiDenominator, {}};
        else if (timing.qpcRefreshPeriod)
            screen = {CounterFrequency(), std::int64_t(timing.qpcRefreshPeriod), {}};
        if (timing.qpcVBlank)
            screen.PhaseNs = TicksToNs(std::int64_t(timing.qpcVBlank), CounterFrequency());
    }
    if (!screen.Numerator) {
        const HDC display = GetDC(nullptr);
        const int hz = GetDeviceCaps(display, VREFRESH);
        ReleaseDC(nullptr, display);
        // 0 and 1 stand for the hardware's default rate, which the system does not tell.
        if (hz > 1)
            screen.Numerator = hz;
    }
    return screen;
}

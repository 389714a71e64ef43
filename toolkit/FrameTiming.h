#pragma once

#include <cstdint>
#include <optional>

// A screen's refreshes as its system reports them: Numerator / Denominator a second (a rate it does not give,
// 0, counts as 60 a second), one of them at PhaseNs on the clock the window times its frames by, if it says.
struct TScreenRefresh {
    std::int64_t Numerator = 0;
    std::int64_t Denominator = 1;
    std::optional<std::int64_t> PhaseNs;
};

// The screen's first refresh after Now, its refreshes counted from Phase: when the frame after one shown at
// Now is due. Exact at any rate and however far Now lies from Phase, so the frames keep the screen's rhythm
// for good; and never in the past, so that frames held up by a busy moment do not follow in a burst.
std::int64_t NextRefreshNs(const TScreenRefresh& Screen, std::int64_t Phase, std::int64_t Now);

// Ticks of a clock PerSecond ticks a second, in nanoseconds, without overflow for any tick count.
std::int64_t TicksToNs(std::int64_t Ticks, std::int64_t PerSecond);

// The whole milliseconds a system timer must wait from Now for AtNs, rounded up: a frame shown early would fall
// in the refresh before its own. 0 for a time past.
unsigned WholeMsUntil(std::int64_t AtNs, std::int64_t Now);

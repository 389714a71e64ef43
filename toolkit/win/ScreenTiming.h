#pragma once

#include "FrameTiming.h"

#include <cstdint>

// The clock a form times its frames by, and the screen's refresh on it, as the system reports them. Any thread.

// The performance counter, in nanoseconds: the clock the compositor gives its refreshes on.
std::int64_t ScreenClockNs();

// The compositor's refresh rate and the time of its latest refresh; where it says nothing, the display's rate
// in whole hertz; where that says nothing either, no rate at all.
TScreenRefresh ScreenRefresh();

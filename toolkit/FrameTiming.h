#pragma once

#include <cstdint>

// When the frame after one shown at Now may be shown, the one before it due at Previous: a period after
// that, keeping the screen's rhythm, but no sooner than half a period from now, so that frames held up by
// a busy moment do not follow in a burst. Both backends' frame pacers keep to it.
std::int64_t NextFrameNs(std::int64_t Previous, std::int64_t Now, std::int64_t Period);

#include "FrameTiming.h"

#include <algorithm>

std::int64_t NextFrameNs(std::int64_t Previous, std::int64_t Now, std::int64_t Period)
{
    return std::max(Previous + Period, Now + Period / 2);
}

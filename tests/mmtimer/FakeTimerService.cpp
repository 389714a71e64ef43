#include "FakeTimerService.h"

namespace {

TimerResult Record(const std::string& function, const std::string& arguments)
{
    Fake().calls.push_back(function + "(" + arguments + ")");
    return Fake().failing.contains(function) ? TIMERR_FAILED : TIMERR_NOERROR;
}

}  // namespace

FakeTimerService& Fake()
{
    static FakeTimerService fake;
    return fake;
}

TimerResult timeGetDevCaps(TimerCaps* caps, std::uint32_t size)
{
    const TimerResult result = Record("timeGetDevCaps", std::to_string(size));
    if (result == TIMERR_NOERROR)
        *caps = Fake().caps;
    return result;
}

TimerResult timeBeginPeriod(std::uint32_t period)
{
    return Record("timeBeginPeriod", std::to_string(period));
}

TimerResult timeEndPeriod(std::uint32_t period)
{
    return Record("timeEndPeriod", std::to_string(period));
}

TimerEventId timeSetEvent(std::uint32_t delay, std::uint32_t resolution, TimerCallback callback,
                          std::uintptr_t user, std::uint32_t flags)
{
    const std::string arguments =
        std::to_string(delay) + ", " + std::to_string(resolution) + ", " + std::to_string(flags);
    if (Record("timeSetEvent", arguments) != TIMERR_NOERROR)
        return 0;
    Fake().callback = callback;
    Fake().user = user;
    return ++Fake().nextId;
}

TimerResult timeKillEvent(TimerEventId id)
{
    return Record("timeKillEvent", std::to_string(id));
}

#include "TMMTimer.h"

#include "TickRegistry.h"

namespace {

constexpr const char* kCapsFailed = "fails to return the timer device capabilities";
constexpr const char* kPeriodFailed = "resolution specified in FResolution is out of range";
constexpr const char* kEventFailed = "fails to create timer event";

// The service's documented range, used when it could not report its own.
constexpr TimerCaps kFallbackCaps{1, 1'000'000};

void ShowError(const char* text)
{
    // Modal to the program's windows, as a box with an owner is: until it is answered, no click reaches the
    // window (a second START would show a second box) and no close ends the program under it.
    MessageBoxA(nullptr, text, "TMMTimer Error", MB_OK | MB_TASKMODAL);
}

}  // namespace

TMMTimer::TMMTimer()
{
    if (timeGetDevCaps(&FTimeCaps, sizeof(FTimeCaps)) != TIMERR_NOERROR) {
        FTimeCaps = kFallbackCaps;
        ShowError(kCapsFailed);
    }
    if (timeBeginPeriod(FResolution) != TIMERR_NOERROR)
        ShowError(kPeriodFailed);
}

TMMTimer::~TMMTimer()
{
    SetEnabled(false);
    if (timeEndPeriod(FResolution) != TIMERR_NOERROR)
        ShowError(kPeriodFailed);
}

bool TMMTimer::Enabled() const
{
    return FEnabled;
}

void TMMTimer::SetEnabled(bool value)
{
    if (value) {
        if (FTimerID != 0)
            return;
        // Added before the event, whose first tick may come before timeSetEvent returns.
        FTickKey = TickRegistry::Instance().Add(FOnTimer);
        // Synchronous kills, which the system's service makes only when asked, so that no tick starts once a
        // kill has returned; the handler's state rests on the registry, not on this.
        FTimerID = timeSetEvent(FInterval, FResolution, &TimerProc, FTickKey,
                                TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
        // Enabled only with a live event, so a caller that reads it to decide can start again.
        if (FTimerID == 0) {
            TickRegistry::Instance().Remove(FTickKey);
            FTickKey = 0;
            ShowError(kEventFailed);
        } else {
            FEnabled = true;
        }
    } else if (FTimerID != 0) {
        // Removed before the kill, which may wait for a tick of the event that waits in the registry for
        // another handler's turn: the removal ends that wait. The handler's state has gone once it returns.
        TickRegistry::Instance().Remove(FTickKey);
        timeKillEvent(FTimerID);
        FTimerID = 0;
        FTickKey = 0;
        FEnabled = false;
    }
}

unsigned TMMTimer::Interval() const
{
    return FInterval;
}

void TMMTimer::SetInterval(unsigned value)
{
    FInterval = value;
}

unsigned TMMTimer::Resolution() const
{
    return FResolution;
}

void TMMTimer::SetResolution(unsigned value)
{
    if (timeEndPeriod(FResolution) != TIMERR_NOERROR)
        ShowError(kPeriodFailed);
    if (value < FTimeCaps.wPeriodMin)
        FResolution = FTimeCaps.wPeriodMin;
    else if (value > FTimeCaps.wPeriodMax)
        FResolution = FTimeCaps.wPeriodMax;
    else
        FResolution = value;
    if (timeBeginPeriod(FResolution) != TIMERR_NOERROR)
        ShowError(kPeriodFailed);
}

void TMMTimer::SetOnTimer(std::function<void()> handler)
{
    FOnTimer = std::move(handler);
}

void CALLBACK TMMTimer::TimerProc(TimerEventId, std::uint32_t, std::uintptr_t user, std::uintptr_t,
                                  std::uintptr_t)
{
    TickRegistry::Instance().Run(user);
}

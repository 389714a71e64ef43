#pragma once

// The system services the precision timer stands on: the timer service and the message box, with the
// system's names for their functions and constants, and ours (TimerCaps, ...) for their types. Built for
// Windows they are the system's; elsewhere this folder's stand-in (TimerService.h, MessageBox.h). Nothing
// else needs to know which.

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>

using TimerResult = MMRESULT;
using TimerEventId = UINT;
using TimerCallback = LPTIMECALLBACK;
using TimerCaps = TIMECAPS;

#else

#include "MessageBox.h"
#include "TimerService.h"

#endif

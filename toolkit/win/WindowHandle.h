#pragma once

// The system's window handle, declared as its headers declare it, without them.
struct HWND__;
using TWindowHandle = HWND__*;

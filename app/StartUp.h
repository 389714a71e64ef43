#pragma once

#include <functional>

// The program's start-up on every backend, once its application object is made: Initialize (the
// backend's own, with whatever watches it), the picture's preload, the main window and its message loop,
// all guarded by RunGuarded. Returns the program's exit code, which is 0 in every case.
int StartUp(const std::function<void()>& Initialize);

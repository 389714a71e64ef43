#pragma once

#include <functional>

// Runs the program's start-up and message loop; whatever error escapes them is shown in one error box
// through the application object. Returns the program's exit code, which is 0 in every case.
int RunGuarded(const std::function<void()>& Steps);

#pragma once

// Modal error box with a single OK button for code that has no window of its own.
// Any thread may call it; it returns once the box is dismissed.

#include <functional>
#include <string_view>

// With a QApplication the box shows on the application's thread; without one the
// caption and text go to standard error.
void MessageBoxA(const char* text, const char* caption);

// Sends every later box to `hook` instead, so tests never block on a real box.
// An empty function restores the real box.
using MessageBoxHook = std::function<void(std::string_view text, std::string_view caption)>;
void SetMessageBoxHook(MessageBoxHook hook);

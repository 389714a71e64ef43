#pragma once

#include <QtGlobal>

// Watches the making of Qt's application object, which aborts the process when no platform plugin can
// open a display. For the lifetime of one guard: that abort becomes one line on standard error naming the
// display, and exit code 1; Qt's other messages are held and passed on when the guard ends. One at a time,
// on the thread that makes the application object.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

private:
    QtMessageHandler FPrevious;
};

#pragma once

#include <QtGlobal>

// Watches the making of Qt's application object, which aborts the process when no platform plugin can
// start. For the lifetime of one guard: that abort becomes exit code 1, after one line on standard error
// naming the display where no display could be reached, or else Qt's own lines that name the cause; Qt's
// other messages are held and passed on when the guard ends. One at a time, made and ended on the thread
// that makes the application object; Qt's other threads may log meanwhile.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

private:
    QtMessageHandler FPrevious;
};

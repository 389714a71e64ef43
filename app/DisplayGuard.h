#pragma once

// Watches the making of Qt's application object, which aborts the process when no platform plugin can start.
// While a guard stands, that abort becomes exit code 1 after one line naming the display where none could be
// reached, or else Qt's own lines naming the cause. From Qt's first line about a plugin that failed, its lines
// are held until the guard ends, and printed however else the process ends meanwhile. One at a time, made and
// ended on the thread that makes the application object; Qt's other threads may log meanwhile.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;
};

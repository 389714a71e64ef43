#pragma once

#include <sys/types.h>

#include <string_view>

// Keeps lines for standard error in a small process of its own, made at the first line, which prints them
// should ours end before letting them go: by exit, _exit or a signal, where no code of ours runs any more.
// Trivially destroyed, so that exit() does not let them go. Its owner serialises the calls.
class LineKeeper {
public:
    // Best effort: where the keeper cannot be made or takes no more, the line is not kept.
    void Keep(std::string_view line);
    // Ends the keeper without a word; it leaves no process behind.
    void LetGo();

private:
    bool Start();

    pid_t FPid = 0;
    int FSocket = -1;
};

#pragma once

#include <pthread.h>

// Guards a picture that the precision timer's real-time thread draws on while the window's thread
// paints or resizes it. A waiter lends its priority to the holder, so a holder preempted by ordinary work
// cannot hold up a tick for longer than its own brief work takes.
class TPictureLock {
public:
    TPictureLock();
    ~TPictureLock();
    TPictureLock(const TPictureLock&) = delete;
    TPictureLock& operator=(const TPictureLock&) = delete;

    void lock();
    void unlock();
    bool try_lock();

private:
    pthread_mutex_t FMutex;
};

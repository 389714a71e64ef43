#pragma once

// Guards a canvas's picture, which the precision timer's thread draws on while the window's thread paints
// or resizes it. Any thread. The one place where the two programs' locks differ.
#ifdef _WIN32

#include <mutex>

// A plain mutex on Windows: a known, accepted difference from Linux.
using TPictureLock = std::mutex;

#else

#include <pthread.h>

// A waiter lends its priority to the holder: the timer's thread runs at a real-time priority, and a holder
// preempted by ordinary work cannot then hold up a tick for longer than its own brief work takes.
class TPictureLock {
public:
    TPictureLock()
    {
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
        // Where the system refuses priority inheritance the lock is an ordinary one, which still works.
        pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
        pthread_mutex_init(&FMutex, &attributes);
        pthread_mutexattr_destroy(&attributes);
    }
    ~TPictureLock() { pthread_mutex_destroy(&FMutex); }
    TPictureLock(const TPictureLock&) = delete;
    TPictureLock& operator=(const TPictureLock&) = delete;

    void lock() { pthread_mutex_lock(&FMutex); }
    void unlock() { pthread_mutex_unlock(&FMutex); }
    bool try_lock() { return pthread_mutex_trylock(&FMutex) == 0; }

private:
    pthread_mutex_t FMutex;
};

#endif

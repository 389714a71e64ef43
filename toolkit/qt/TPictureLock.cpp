#include "TPictureLock.h"

TPictureLock::TPictureLock()
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    // Where the system refuses priority inheritance the lock is an ordinary one, which still works.
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
    pthread_mutex_init(&FMutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

TPictureLock::~TPictureLock()
{
    pthread_mutex_destroy(&FMutex);
}

void TPictureLock::lock()
{
    pthread_mutex_lock(&FMutex);
}

void TPictureLock::unlock()
{
    pthread_mutex_unlock(&FMutex);
}

bool TPictureLock::try_lock()
{
    return pthread_mutex_trylock(&FMutex) == 0;
}

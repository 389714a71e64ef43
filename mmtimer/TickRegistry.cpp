#include "TickRegistry.h"

#include <utility>

TickRegistry& TickRegistry::Instance()
{
    // Never destroyed: the service may still tick while the program's statics go.
    static TickRegistry* const registry = new TickRegistry;
    return *registry;
}

std::uintptr_t TickRegistry::Add(std::function<void()> handler)
{
    std::lock_guard lock(FMutex);
    FSlots.emplace(++FLastKey, std::move(handler));
    return FLastKey;
}

// Per tick: two short locks, no allocation. The handler is called through its node, which a removal on
// another thread keeps until this run has returned.
void TickRegistry::Run(std::uintptr_t key)
{
    const std::function<void()>* handler = nullptr;
    {
        std::unique_lock lock(FMutex);
        Slots::iterator found;
        FChanged.wait(lock, [&] {
            found = FSlots.find(key);
            return found == FSlots.end() || FRunning == 0;
        });
        if (found == FSlots.end())
            return;
        FRunning = key;
        FRunner = std::this_thread::get_id();
        handler = &found->second;
    }
    if (*handler)
        (*handler)();
    // Destroyed after the lock: the handler's captures may own anything, another timer among them.
    Slots::node_type retired;
    {
        std::lock_guard lock(FMutex);
        FRunning = 0;
        FRunner = {};
        retired = std::move(FRetired);
    }
    FChanged.notify_all();
}

void TickRegistry::Remove(std::uintptr_t key)
{
    // Destroyed after the lock, as in Run.
    Slots::node_type removed;
    {
        std::unique_lock lock(FMutex);
        removed = FSlots.extract(key);
        if (FRunning == key && FRunner == std::this_thread::get_id()) {
            if (removed)
                FRetired = std::move(removed);
            return;
        }
        FChanged.wait(lock, [&] { return FRunning != key; });
    }
    // A run of this key waiting for its turn ends now.
    FChanged.notify_all();
}

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
    auto slot = std::make_shared<Slot>();
    slot->handler = std::move(handler);
    std::lock_guard lock(FMutex);
    FSlots.emplace(++FLastKey, std::move(slot));
    return FLastKey;
}

// Per tick: two short locks and a shared count, no allocation.
void TickRegistry::Run(std::uintptr_t key)
{
    std::shared_ptr<Slot> slot;
    {
        std::lock_guard lock(FMutex);
        const auto found = FSlots.find(key);
        if (found == FSlots.end())
            return;
        slot = found->second;
        slot->runner = std::this_thread::get_id();
    }
    if (slot->handler)
        slot->handler();
    {
        std::lock_guard lock(FMutex);
        slot->runner = {};
    }
    FRunEnded.notify_all();
}

void TickRegistry::Remove(std::uintptr_t key)
{
    // Released after the lock: the handler's captures may own anything, another timer among them.
    std::shared_ptr<Slot> slot;
    std::unique_lock lock(FMutex);
    const auto found = FSlots.find(key);
    if (found == FSlots.end())
        return;
    slot = std::move(found->second);
    FSlots.erase(found);
    const std::thread::id self = std::this_thread::get_id();
    FRunEnded.wait(lock, [&] { return slot->runner == std::thread::id() || slot->runner == self; });
}

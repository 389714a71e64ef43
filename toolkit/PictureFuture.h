#pragma once

#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

// One picture read ahead on a thread of its own, for a program's start-up, the same on every backend:
// TStamp tells the file it was read from apart from another put in its place meanwhile. Any thread.
template <class TPicture, class TStamp>
class TPictureFuture {
public:
    // Starts Read; with no thread to spare, nothing is read ahead and the load reads the file itself.
    void Start(TStamp Stamp, std::function<TPicture()> Read)
    {
        std::future<TPicture> picture;
        try {
            picture = std::async(std::launch::async, std::move(Read));
        } catch (const std::system_error&) {
            return;
        }
        std::lock_guard lock(FLock);
        FPending.emplace(std::move(Stamp), std::move(picture));
    }

    // The picture read ahead, or the error that reading it raised, when it is of this file; one of any
    // other file is dropped, so that its picture takes no memory from here on.
    std::optional<TPicture> Take(const TStamp& Stamp)
    {
        std::optional<std::pair<TStamp, std::future<TPicture>>> pending;
        {
            std::lock_guard lock(FLock);
            pending.swap(FPending);
        }
        if (!pending || !(pending->first == Stamp))
            return std::nullopt;
        return pending->second.get();
    }

private:
    std::mutex FLock;
    std::optional<std::pair<TStamp, std::future<TPicture>>> FPending;
};

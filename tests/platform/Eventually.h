#pragma once

#include <chrono>
#include <thread>

// Polls `done` until it holds or `limit` has passed. The limit is a generous bound
// against hanging, never a check of speed.
template <class Predicate>
bool Eventually(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

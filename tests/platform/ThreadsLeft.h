#pragma once

#include "Eventually.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

// The threads of this process, by id, as the kernel lists them.
inline std::set<std::string> ListedThreads()
{
    std::set<std::string> ids;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
        ids.insert(task.path().filename().string());
    return ids;
}

// Threads listed now that were not in `before`.
inline std::vector<std::string> ThreadsSince(const std::set<std::string>& before)
{
    std::vector<std::string> added;
    for (const std::string& id : ListedThreads())
        if (!before.contains(id))
            added.push_back(id);
    return added;
}

// A joined thread stays listed for a moment after the join returns: true once every thread started
// since `before` has left the list, false if one is still there after Eventually's generous bound.
inline bool NoThreadLeftSince(const std::set<std::string>& before)
{
    return Eventually([&] { return ThreadsSince(before).empty(); });
}

// A field of a thread's status as the kernel reports it ("State", "voluntary_ctxt_switches"), without
// its name; empty once the thread has gone.
inline std::string ThreadStatus(const std::string& thread, const std::string& field)
{
    std::ifstream status("/proc/self/task/" + thread + "/status");
    const std::string prefix = field + ":\t";
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(prefix))
            return line.substr(prefix.size());
    return {};
}

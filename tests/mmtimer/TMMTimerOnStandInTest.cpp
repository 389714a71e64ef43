#include "Eventually.h"
#include "MessageBox.h"
#include "TMMTimer.h"
#include "ThreadsLeft.h"
#include "TickRegistry.h"
#include "TimerService.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// What the stand-in keeps count of: the one period request of a timer's life, its one event while it
// runs, and nothing of either once it is gone; no box on the way.
TEST(TMMTimerOnStandIn, HoldsOneRequestAndOneEventAndLeavesNeitherBehind)
{
    std::vector<std::string> boxes;
    SetMessageBoxHook([&](std::string_view text, std::string_view) { boxes.emplace_back(text); });
    std::atomic<int> ticks{0};
    {
        TMMTimer timer;
        timer.SetResolution(1);
        timer.SetInterval(1);
        timer.SetOnTimer([&] { ++ticks; });
        timer.SetEnabled(true);
        ASSERT_TRUE(Eventually([&] { return ticks > 0; }));
        EXPECT_EQ(1, timePeriodRequests(1));
        EXPECT_EQ(0, timePeriodRequests(5));
        EXPECT_EQ(1, timeLiveEvents());
    }
    EXPECT_EQ(0, timeLiveEvents());
    EXPECT_EQ(0, timePeriodRequests(1));
    EXPECT_EQ(0, timePeriodRequests(5));
    EXPECT_EQ(std::vector<std::string>{}, boxes);
    SetMessageBoxHook({});
}

struct Log {
    void Note(const std::string& entry)
    {
        std::lock_guard lock(mutex);
        entries.push_back(entry);
    }

    std::mutex mutex;
    std::vector<std::string> entries;
    std::atomic<std::thread::id> remover;
};

// A handler's capture that notes which thread destroyed it.
struct Probe {
    explicit Probe(std::shared_ptr<Log> witness) : log(std::move(witness)) {}
    Probe(const Probe&) = default;
    Probe(Probe&&) = default;
    ~Probe()
    {
        if (log)
            log->Note(std::this_thread::get_id() == log->remover.load() ? "destroyed by the remover"
                                                                        : "destroyed elsewhere");
    }

    std::shared_ptr<Log> log;
};

void PinTo(int cpu)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}

// Regression: a run kept its handler past Remove, so the handler's captures went on the service's thread once
// Remove had returned. The run ends on the remover's CPU behind every ordinary thread, so that the remover it
// wakes runs at once: a run still holding the handler then is caught every time.
TEST(TickRegistry, RemoveDestroysAHandlerRunningElsewhereOnceItReturnsAndBeforeRemoveReturns)
{
    TickRegistry& registry = TickRegistry::Instance();
    const auto log = std::make_shared<Log>();
    std::atomic<bool> running{false};
    std::atomic<bool> release{false};
    std::atomic<int> removerCpu{-1};
    const std::uintptr_t key = registry.Add([&, probe = Probe(log)] {
        running = true;
        static_cast<void>(Eventually([&] { return release.load(); }));
        PinTo(removerCpu);
        const sched_param lowest{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &lowest);
    });
    std::thread runner([&] { registry.Run(key); });
    EXPECT_TRUE(Eventually([&] { return running.load(); }));

    std::atomic<pid_t> removerTid{0};
    std::thread remover([&] {
        removerCpu = sched_getcpu();
        PinTo(removerCpu);
        log->remover = std::this_thread::get_id();
        removerTid = gettid();
        registry.Remove(key);
        log->Note("Remove returned");
    });
    // Released once the remover sleeps, in Remove's wait.
    EXPECT_TRUE(Eventually([&] {
        return removerTid != 0 && ThreadStatus(std::to_string(removerTid), "State").starts_with("S");
    }));
    release = true;
    remover.join();
    runner.join();
    EXPECT_EQ((std::vector<std::string>{"destroyed by the remover", "Remove returned"}), log->entries);
}

}  // namespace

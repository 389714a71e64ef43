#include "Eventually.h"
#include "ThreadsLeft.h"
#include "TickRegistry.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// What became of a handler's state, in order, and which thread counts as its remover.
struct Witness {
    void Note(const std::string& entry)
    {
        std::lock_guard lock(mutex);
        log.push_back(entry);
    }

    std::mutex mutex;
    Log log;
    std::atomic<std::thread::id> remover;
};

// A handler's capture that notes, when it goes, whether its remover's thread destroyed it.
class Probe {
public:
    explicit Probe(std::shared_ptr<Witness> witness) : FWitness(std::move(witness)) {}
    Probe(const Probe&) = default;
    Probe(Probe&&) = default;
    ~Probe()
    {
        if (FWitness)
            FWitness->Note(std::this_thread::get_id() == FWitness->remover.load() ? "state destroyed by the remover"
                                                                                  : "state destroyed elsewhere");
    }

private:
    std::shared_ptr<Witness> FWitness;
};

// A thread that calls Remove as the witness's remover, pinned to the CPU it started on.
class Remover {
public:
    Remover(Witness& witness, std::function<void()> remove)
        : FThread([this, &witness, remove = std::move(remove)] {
              cpu = sched_getcpu();
              cpu_set_t set;
              CPU_ZERO(&set);
              CPU_SET(cpu, &set);
              pthread_setaffinity_np(pthread_self(), sizeof set, &set);
              witness.remover = std::this_thread::get_id();
              FTid = gettid();
              remove();
              witness.Note("Remove returned");
              returned = true;
          })
    {
    }
    ~Remover() { FThread.join(); }

    // Whether it waits in Remove, going by the kernel's word that it sleeps, or has returned.
    bool WaitsOrReturned() const
    {
        return returned || (FTid != 0 && ThreadStatus(std::to_string(FTid), "State").starts_with("S"));
    }

    std::atomic<int> cpu{-1};
    std::atomic<bool> returned{false};

private:
    std::atomic<pid_t> FTid{0};
    std::thread FThread;
};

// Puts the calling thread on `cpu` behind every ordinary thread, so that a thread it wakes there runs at
// once: a run that still held its handler after waking the remover would then be caught every time.
void FallBehindOn(int cpu)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);
    const sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
}

// Remove's promise: no run starts after it, one in flight elsewhere has returned, and the handler's state
// goes on the remover's thread: before Remove returns, or, for a handler removing itself, once it returns.
TEST(TickRegistry, HandlerStateGoesOnTheRemoversThread)
{
    struct Row {
        std::string name;
        std::function<void(TickRegistry&, const std::shared_ptr<Witness>&)> play;
        Log expected;
    };
    const Row rows[] = {
        {"no run in flight", [](TickRegistry& registry, const auto& witness) {
             const std::uintptr_t key = registry.Add([probe = Probe(witness)] {});
             const Remover remover(*witness, [&] { registry.Remove(key); });
         }, {"state destroyed by the remover", "Remove returned"}},
        // Regression: the run kept the handler alive past Remove, and its thread destroyed it.
        {"its run in flight on another thread", [](TickRegistry& registry, const auto& witness) {
             std::atomic<bool> running{false};
             std::atomic<bool> release{false};
             std::atomic<int> removerCpu{-1};
             const std::uintptr_t key = registry.Add([&, probe = Probe(witness)] {
                 running = true;
                 static_cast<void>(Eventually([&] { return release.load(); }));
                 FallBehindOn(removerCpu);
             });
             std::thread runner([&] { registry.Run(key); });
             EXPECT_TRUE(Eventually([&] { return running.load(); }));
             {
                 const Remover remover(*witness, [&] { registry.Remove(key); });
                 EXPECT_TRUE(Eventually([&] { return remover.WaitsOrReturned(); }));
                 removerCpu = remover.cpu.load();
                 release = true;
             }
             runner.join();
         }, {"state destroyed by the remover", "Remove returned"}},
        // Regression: the waiting run started the handler after Remove, beside another key's run.
        {"its tick waiting behind another key's run", [](TickRegistry& registry, const auto& witness) {
             std::atomic<bool> running{false};
             std::atomic<bool> release{false};
             const std::uintptr_t other = registry.Add([&] {
                 running = true;
                 static_cast<void>(Eventually([&] { return release.load(); }));
             });
             const std::uintptr_t key =
                 registry.Add([w = witness.get(), probe = Probe(witness)] { w->Note("handler ran"); });
             std::thread first([&] { registry.Run(other); });
             EXPECT_TRUE(Eventually([&] { return running.load(); }));
             std::atomic<pid_t> waitingTid{0};
             std::atomic<bool> waitingReturned{false};
             std::thread waiting([&] {
                 waitingTid = gettid();
                 registry.Run(key);
                 waitingReturned = true;
             });
             EXPECT_TRUE(Eventually([&] {
                 return waitingReturned ||
                        (waitingTid != 0 && ThreadStatus(std::to_string(waitingTid), "State").starts_with("S"));
             }));
             {
                 const Remover remover(*witness, [&] { registry.Remove(key); });
                 EXPECT_TRUE(Eventually([&] { return remover.returned.load(); }))
                     << "Remove waited for another key's run";
                 EXPECT_TRUE(Eventually([&] { return waitingReturned.load(); }))
                     << "the removed key's run still waits";
                 release = true;
             }
             waiting.join();
             first.join();
             registry.Remove(other);
         }, {"state destroyed by the remover", "Remove returned"}},
        {"the handler removes itself", [](TickRegistry& registry, const auto& witness) {
             std::atomic<std::uintptr_t> key{0};
             key = registry.Add([&, w = witness.get(), probe = Probe(witness)] {
                 w->remover = std::this_thread::get_id();
                 registry.Remove(key);
                 w->Note("Remove returned");
             });
             std::thread runner([&] { registry.Run(key); });
             runner.join();
         }, {"Remove returned", "state destroyed by the remover"}},
    };
    for (const Row& row : rows) {
        const auto witness = std::make_shared<Witness>();
        row.play(TickRegistry::Instance(), witness);
        EXPECT_EQ(row.expected, witness->log) << row.name;
    }
}

}  // namespace

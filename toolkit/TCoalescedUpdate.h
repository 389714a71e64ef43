#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

// Brings a change made on any thread to a control on the window's thread without ever waiting for it:
// at most one delivery is queued at a time, and changes made meanwhile ride along with it.
// Owned by the control it serves; created and destroyed on the window's thread, Request() from any thread.
class TCoalescedUpdate {
public:
    TCoalescedUpdate(QObject* Context, std::function<void()> Deliver);
    ~TCoalescedUpdate();
    TCoalescedUpdate(const TCoalescedUpdate&) = delete;
    TCoalescedUpdate& operator=(const TCoalescedUpdate&) = delete;

    void Request();
    // True on the thread that created this, the control's own.
    bool OnOwnerThread() const;

    // Deliveries queued and not yet made, all controls together.
    static int Queued();

private:
    QObject* FContext;
    std::function<void()> FDeliver;
    std::thread::id FOwner;
    std::atomic<bool> FPending{false};

    static std::atomic<int> FQueued;
};

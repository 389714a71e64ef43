#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>

#include <atomic>
#include <functional>
#include <thread>

class QWidget;
class TFramePacer;

// Brings a change made on any thread to a control on the window's thread without ever waiting for it,
// and shows it with the window's next frame: at most one delivery is outstanding at a time, and changes
// made meanwhile ride along with it. Owned by the control it serves; created and destroyed on the
// window's thread, Request() from any thread.
class TCoalescedUpdate {
public:
    TCoalescedUpdate(QWidget* Control, std::function<void()> Deliver);
    ~TCoalescedUpdate();
    TCoalescedUpdate(const TCoalescedUpdate&) = delete;
    TCoalescedUpdate& operator=(const TCoalescedUpdate&) = delete;

    void Request();
    // True on the thread that created this, the control's own.
    bool OnOwnerThread() const;

    // Deliveries requested and not yet made, all controls together.
    static int Queued();

private:
    void Receive();
    // On the window's thread: the change waits for the next frame.
    void Schedule();
    void Deliver();

    QWidget* FControl;
    std::function<void()> FDeliver;
    std::thread::id FOwner;
    // The wake-up is a write to an eventfd that the window's event loop watches, not a posted Qt event:
    // the requesting thread allocates nothing and hands nothing over but the counter, and the write/read
    // pair orders the change before its delivery where race checkers can see it.
    int FWake;
    QSocketNotifier FNotifier;
    std::atomic<bool> FPending{false};
    // Window's thread only: the request has reached it and waits for a frame.
    bool FScheduled = false;
    QPointer<TFramePacer> FPacer;
    QMetaObject::Connection FFrame;

    static std::atomic<int> FQueued;
};

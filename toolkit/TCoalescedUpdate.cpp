#include "TCoalescedUpdate.h"

#include <QMetaObject>

#include <utility>

std::atomic<int> TCoalescedUpdate::FQueued{0};

TCoalescedUpdate::TCoalescedUpdate(QObject* Context, std::function<void()> Deliver)
    : FContext(Context), FDeliver(std::move(Deliver)), FOwner(std::this_thread::get_id())
{
}

TCoalescedUpdate::~TCoalescedUpdate()
{
    // Qt drops the queued delivery together with its context object.
    if (FPending.exchange(false))
        --FQueued;
}

void TCoalescedUpdate::Request()
{
    if (OnOwnerThread()) {
        FDeliver();
        return;
    }
    if (FPending.exchange(true))
        return;
    ++FQueued;
    QMetaObject::invokeMethod(
        FContext,
        [this] {
            // Cleared before delivering, so a change made during the delivery queues a new one.
            FPending = false;
            --FQueued;
            FDeliver();
        },
        Qt::QueuedConnection);
}

bool TCoalescedUpdate::OnOwnerThread() const
{
    return std::this_thread::get_id() == FOwner;
}

int TCoalescedUpdate::Queued()
{
    return FQueued;
}

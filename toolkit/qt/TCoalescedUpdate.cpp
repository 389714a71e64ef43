#include "TCoalescedUpdate.h"

#include "TFramePacer.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <system_error>
#include <utility>

std::atomic<int> TCoalescedUpdate::FQueued{0};

namespace {

int MakeWake()
{
    const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    return wake;
}

}  // namespace

TCoalescedUpdate::TCoalescedUpdate(QWidget* Control, std::function<void()> Deliver)
    : FControl(Control), FDeliver(std::move(Deliver)), FOwner(std::this_thread::get_id()), FWake(MakeWake()),
      FNotifier(FWake, QSocketNotifier::Read)
{
    QObject::connect(&FNotifier, &QSocketNotifier::activated, &FNotifier, [this] { Receive(); });
}

TCoalescedUpdate::~TCoalescedUpdate()
{
    FNotifier.setEnabled(false);
    close(FWake);
    if (FPending.exchange(false))
        --FQueued;
}

void TCoalescedUpdate::Request()
{
    if (FPending.exchange(true))
        return;
    ++FQueued;
    if (OnOwnerThread()) {
        Schedule();
        return;
    }
    const std::uint64_t one = 1;
    // Cannot block: the counter is far from its limit, as at most one wake-up is outstanding.
    [[maybe_unused]] const ssize_t written = write(FWake, &one, sizeof one);
}

void TCoalescedUpdate::Receive()
{
    std::uint64_t count = 0;
    if (read(FWake, &count, sizeof count) != sizeof count)
        return;
    if (FPending.load() && !FScheduled)
        Schedule();
}

void TCoalescedUpdate::Schedule()
{
    FScheduled = true;
    TFramePacer* pacer = TFramePacer::Of(FControl);
    if (FPacer != pacer) {
        QObject::disconnect(FFrame);
        FFrame = QObject::connect(pacer, &TFramePacer::Frame, &FNotifier, [this] { Deliver(); });
        FPacer = pacer;
    }
    pacer->Request();
}

void TCoalescedUpdate::Deliver()
{
    if (!FScheduled)
        return;
    FScheduled = false;
    // Only this thread clears the flag, so the count drops before a new request can raise it again; and
    // it is cleared before delivering, so a change made during the delivery asks for a new frame. The
    // exchange reads the latest request, so the delivery sees every change made before it.
    --FQueued;
    FPending.exchange(false);
    FDeliver();
}

bool TCoalescedUpdate::OnOwnerThread() const
{
    return std::this_thread::get_id() == FOwner;
}

int TCoalescedUpdate::Queued()
{
    return FQueued;
}

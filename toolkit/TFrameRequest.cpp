#include "TFrameRequest.h"

#include <utility>

namespace {

// Well past a frame at any refresh rate, and past the 100 ms after which Qt's Wayland platform takes a
// window whose compositor sends no frames for hidden.
constexpr std::int64_t LostAfterNs = 250'000'000;
// The rate and phase drift from the window's clock: read again this often while frames are shown.
constexpr std::int64_t ScreenReadEveryNs = 1'000'000'000;

}  // namespace

TFrameRequest::TFrameRequest(THooks Hooks) : F(std::move(Hooks)), FOwner(std::this_thread::get_id()) {}

void TFrameRequest::Request()
{
    if (std::this_thread::get_id() == FOwner && !F.OnScreen()) {
        TakeAtOnce();
        return;
    }
    TState state = FState.load();
    for (;;) {
        if (state == TState::Armed) {
            if (FState.compare_exchange_weak(state, TState::Held))
                return;
        } else if (state != TState::Idle) {
            // The frame already asked for shows this change too: a held frame takes no further post.
            return;
        } else if (FState.compare_exchange_weak(state, TState::Posted)) {
            Post();
            return;
        }
    }
}

void TFrameRequest::Post()
{
    if (!F.Post()) {
        // Nothing will answer: the next change asks again, rather than every change waiting forever.
        TState posted = TState::Posted;
        FState.compare_exchange_strong(posted, TState::Idle);
        return;
    }
    // A post the window's thread made to itself may be a platform's frame request, which some drop.
    if (std::this_thread::get_id() == FOwner)
        F.Hold(F.Now() + LostAfterNs);
}

bool TFrameRequest::Received()
{
    TState posted = TState::Posted;
    if (FState.load() != posted)
        return false;
    if (FDueNs <= F.Now())
        Show();
    else if (FState.compare_exchange_strong(posted, TState::Held))
        F.Hold(FDueNs);
    return true;
}

void TFrameRequest::Due()
{
    TState state = FState.load();
    // A timer that fires early would put two frames in one refresh.
    if ((state == TState::Held || state == TState::Armed) && F.Now() < FDueNs) {
        F.Hold(FDueNs);
        return;
    }
    switch (state) {
    case TState::Posted:
        // The post or its answer went missing: the frame comes without it.
        Received();
        return;
    case TState::Armed:
        // A whole refresh without a change: the window's thread sleeps until the next post.
        if (FState.compare_exchange_strong(state, TState::Idle)) {
            F.Release();
            return;
        }
        // A change came meanwhile: the frame is due now.
        Show();
        return;
    case TState::Held:
        Show();
        return;
    case TState::Idle:
        F.Release();
        return;
    }
}

void TFrameRequest::Ask()
{
    if (FState.load() == TState::Posted)
        Post();
}

void TFrameRequest::TakeAtOnce()
{
    FState.exchange(TState::Idle);
    F.Release();
    F.Frame();
}

void TFrameRequest::Show()
{
    const std::int64_t now = F.Now();
    if (!FScreenRead || now - FScreenReadNs >= ScreenReadEveryNs) {
        FScreen = F.Screen();
        // Where the screen gives no phase, the first frame's stands in for it, and the frames keep their own rhythm.
        FPhaseNs = FScreen.PhaseNs.value_or(FScreenRead ? FPhaseNs : now);
        FScreenRead = true;
        FScreenReadNs = now;
    }
    FDueNs = NextRefreshNs(FScreen, FPhaseNs, now);
    // Before the controls read their state, so that a change made while they do waits for the next frame.
    FState.store(TState::Armed);
    F.Frame();
    F.Hold(FDueNs);
}

#pragma once

#include "FrameTiming.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

// A window's frames: a change made on any thread asks for one, and the window shows at most one a screen
// refresh, on the screen's rhythm, each with every change made before it. Owned by the backend's window, which
// gives it the calls into its window system; made on the window's thread, which calls all but Request().
class TFrameRequest {
public:
    struct THooks {
        // The window's clock in nanoseconds, the one the screen's phase is given on.
        std::function<std::int64_t()> Now;
        // The screen's refresh as its system reports it now.
        std::function<TScreenRefresh()> Screen;
        // Any thread: wakes the window's thread, which then calls Received(); false when nothing was sent.
        std::function<bool()> Post;
        // Due() is to be called once at AtNs, in place of any call asked for before; or, after Release(), none.
        std::function<void(std::int64_t AtNs)> Hold;
        std::function<void()> Release;
        // Every changed control shows its latest state, and the window paints them in one pass.
        std::function<void()> Frame;
        // Whether the window is on screen now; asked on the window's thread.
        std::function<bool()> OnScreen;
    };

    explicit TFrameRequest(THooks Hooks);
    TFrameRequest(const TFrameRequest&) = delete;
    TFrameRequest& operator=(const TFrameRequest&) = delete;

    // Any thread; never waits for the window's thread. On that thread, a window not on screen paints nothing:
    // its controls take the change at once.
    void Request();
    // The post arrived: true when a request was waiting for it, which is then shown or held until due.
    bool Received();
    void Due();
    // Posts a request still waiting anew: to a native window made anew, or to one back in sight.
    void Ask();

private:
    // Idle: nothing asked for. Posted: a post is on its way to the window's thread. Held: a change waits for
    // the frame due at FDueNs. Armed: the next frame's time is held in case a change comes before it, so that
    // a steady stream of changes costs one wake-up of the window's thread a frame, and none of the others.
    enum class TState { Idle, Posted, Held, Armed };

    void TakeAtOnce();
    void Post();
    void Show();

    THooks F;
    std::thread::id FOwner;
    std::atomic<TState> FState{TState::Idle};
    // The window's thread's alone.
    std::int64_t FDueNs = 0;
    TScreenRefresh FScreen;
    std::int64_t FPhaseNs = 0;
    std::int64_t FScreenReadNs = 0;
    bool FScreenRead = false;
};

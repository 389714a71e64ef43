// The frames' shared core without a window system: when a frame is due on a screen's rhythm, which changes
// post a request, and changes from many threads. The window's thread and its system are simulated, on
// simulated time, so the tables run in moments and the same on every backend.

#include "FrameTiming.h"
#include "TFrameRequest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr std::int64_t Ms = 1'000'000;

struct RefreshCase {
    const char* Name;
    std::int64_t Numerator, Denominator, Phase, Now, Next;
};

TEST(NextRefresh, KeepsTheScreensRhythmWithoutBursts)
{
    const RefreshCase cases[] = {
        {"on a refresh: the next one", 60, 1, 0, 0, 16'666'667},
        {"late by most of a period: the next refresh, not a period from now", 60, 1, 0, 16'000'000, 16'666'667},
        {"after a long idle: on the same rhythm", 60, 1, 0, 1'000'000'000'000, 1'000'016'666'667},
        {"59.94 Hz ten minutes on: not a nanosecond of drift", 60000, 1001, 5, 600'000'000'005, 600'016'083'339},
        {"a rate not given: 60 a second", 0, 0, 0, 0, 16'666'667},
        {"a phase after now: counted back", 60, 1, 100'005'000'000, 0, 5'000'000},
        {"144 Hz on a clock far from its epoch", 144, 1, 8'999'999'990'000'000'000, 9'000'000'000'000'000'000,
            9'000'000'000'006'944'445},
    };
    for (const RefreshCase& c : cases)
        EXPECT_EQ(NextRefreshNs({c.Numerator, c.Denominator, {}}, c.Phase, c.Now), c.Next) << c.Name;
    // A thousand days of a 3.58 MHz counter: the ticks times a second overflow 64 bits.
    EXPECT_EQ(TicksToNs(309'272'688'000'000, 3'579'545), 86'400'000'000'000'000);
}

// A window's thread and its system on simulated time, all on the test's thread (the request's own, as under
// the standard timer): a post arrives up to half a millisecond later, and a hold fires on a whole
// millisecond, as the systems' timers do, up to two milliseconds late, as on a busy machine.
struct SimulatedWindow {
    // Runs until Until, ticks (if any) asking for a frame every TickEvery.
    void Run(std::int64_t Until, std::int64_t TickEvery = 0)
    {
        for (std::int64_t tick = TickEvery ? Now + TickEvery : Until + 1;;) {
            const std::int64_t post = Arrivals.empty() ? Until + 1 : *Arrivals.begin();
            Now = std::min({post, HoldFires.value_or(Until + 1), tick});
            if (Now > Until)
                break;
            if (Now == HoldFires) {
                HoldFires.reset();
                Frames.Due();
            } else if (Now == post) {
                Arrivals.erase(Arrivals.begin());
                Frames.Received();
            } else {
                tick += TickEvery;
                Frames.Request();
            }
        }
        Now = Until;
    }
    std::int64_t Late(std::int64_t Range) { return std::int64_t(Random() % std::uint64_t(Range)); }

    TScreenRefresh Reported{60, 1, 0};
    std::int64_t Now = 0;
    int Posts = 0, FailingPosts = 0;
    bool PostsGetLost = false;
    bool OnScreen = true;
    std::multiset<std::int64_t> Arrivals;
    std::optional<std::int64_t> HoldFires, HeldFor;
    std::vector<std::int64_t> Shown;
    std::minstd_rand Random{42};
    TFrameRequest Frames{{[this] { return Now; }, [this] { return Reported; },
        [this] {
            ++Posts;
            if (FailingPosts > 0) {
                --FailingPosts;
                return false;
            }
            if (!PostsGetLost)
                Arrivals.insert(Now + Late(Ms / 2));
            return true;
        },
        [this](std::int64_t AtNs) {
            HeldFor = AtNs;
            HoldFires = Now + (std::max<std::int64_t>(AtNs - Now, 0) + Ms - 1) / Ms * Ms + Late(2 * Ms);
        },
        [this] { HoldFires.reset(); }, [this] { Shown.push_back(Now); }, [this] { return OnScreen; }}};
};

struct ScreenCase {
    const char* Name;
    std::int64_t Numerator, Denominator, Phase;
    bool Told;
};

void PrintTo(const ScreenCase& Row, std::ostream* Out)
{
    *Out << Row.Name;
}

class OnTheScreensRhythm : public testing::TestWithParam<ScreenCase> {};

// Ticks every millisecond, faster than any of these screens: over ten minutes each refresh gets one frame, none
// two and none none. A whole number of hertz used to drop a refresh a second at 59.94 Hz.
TEST_P(OnTheScreensRhythm, EveryRefreshGetsOneFrame)
{
    const ScreenCase& c = GetParam();
    SimulatedWindow window;
    window.Reported = c.Told ? TScreenRefresh{c.Numerator, c.Denominator, c.Phase} : TScreenRefresh{0, 1, {}};
    window.Run(600'000 * Ms, Ms);
    // Which refresh each frame falls in, counted here rather than by the arithmetic under test.
    const auto refresh = [&c](std::int64_t At) {
        const __int128 since = __int128(At - c.Phase) * c.Numerator, second = __int128(c.Denominator) * 1'000'000'000;
        return std::int64_t(since / second - (since % second < 0 ? 1 : 0));
    };
    const std::vector<std::int64_t>& shown = window.Shown;
    ASSERT_GT(shown.size(), 2u);
    int doubled = 0, missed = 0;
    for (std::size_t i = 1; i + 1 < shown.size(); ++i) {
        const std::int64_t step = refresh(shown[i + 1]) - refresh(shown[i]);
        doubled += step == 0;
        missed += step > 1;
    }
    EXPECT_EQ(doubled, 0) << "refreshes with two frames";
    EXPECT_EQ(missed, 0) << "refreshes without a frame";
    EXPECT_EQ(window.Posts, 1) << "a steady stream of changes posts once";
}

INSTANTIATE_TEST_SUITE_P(Screens, OnTheScreensRhythm,
    testing::Values(ScreenCase{"Hz60", 60, 1, 2'500'000, true}, ScreenCase{"Hz59_94", 60000, 1001, 2'500'000, true},
        ScreenCase{"Hz144", 144, 1, 2'500'000, true}, ScreenCase{"Hz143_98", 14398, 100, 2'500'000, true},
        // Its own rhythm, from its first frame a millisecond in, keeps clear of the refreshes at 0.
        ScreenCase{"RateNotTold", 60, 1, 0, false}),
    [](const auto& info) { return info.param.Name; });

struct Sequence {
    const char* Name;
    std::function<void(SimulatedWindow&)> Do;
    int Posts, Frames;
};

void PrintTo(const Sequence& Row, std::ostream* Out)
{
    *Out << Row.Name;
}

class RequestSequence : public testing::TestWithParam<Sequence> {};

TEST_P(RequestSequence, PostsAndShows)
{
    SimulatedWindow window;
    GetParam().Do(window);
    EXPECT_EQ(window.Posts, GetParam().Posts) << "posts tried";
    EXPECT_EQ(int(window.Shown.size()), GetParam().Frames) << "frames shown";
}

// The first frame, shown at once: the next is due at the next refresh, 16.7 ms after 0.
void FirstFrame(SimulatedWindow& Window)
{
    Window.Frames.Request();
    Window.Run(Ms);
}

INSTANTIATE_TEST_SUITE_P(Requests, RequestSequence,
    testing::Values(
        // A post that failed left the request marked as on its way, and no change was ever shown again.
        Sequence{"AFailedPostIsTriedAgainByTheNextChange",
            [](SimulatedWindow& w) {
                w.FailingPosts = 1;
                w.Frames.Request();
                w.Frames.Request();
                w.Run(Ms);
            },
            2, 1},
        // The window's thread used to be woken by every tick while a frame waited for its refresh.
        Sequence{"AFrameHeldOnArrivalTakesNoFurtherPost",
            [](SimulatedWindow& w) {
                // Taken at once while hidden, and shown again before the next refresh.
                FirstFrame(w);
                w.OnScreen = false;
                w.Frames.Request();
                w.OnScreen = true;
                w.Frames.Request();
                w.Run(2 * Ms);
                for (int tick = 0; tick < 10; ++tick)
                    w.Frames.Request();
                w.Run(20 * Ms);
            },
            2, 3},
        Sequence{"AQuietRefreshLetsTheHoldGoAndTheNextChangePosts",
            [](SimulatedWindow& w) {
                FirstFrame(w);
                w.Run(40 * Ms);
                EXPECT_FALSE(w.HoldFires);
                w.Frames.Request();
                w.Run(41 * Ms);
            },
            2, 2},
        Sequence{"APostNeverAnsweredShowsAfter250Ms",
            [](SimulatedWindow& w) {
                w.PostsGetLost = true;
                w.Frames.Request();
                w.Run(249 * Ms);
                EXPECT_TRUE(w.Shown.empty());
                w.Run(260 * Ms);
            },
            1, 1},
        // A timer that fires early would put two frames in one refresh.
        Sequence{"AHoldThatFiresEarlyIsHeldAgain",
            [](SimulatedWindow& w) {
                FirstFrame(w);
                w.Frames.Request();
                w.Now = *w.HeldFor - 1;
                w.Frames.Due();
                EXPECT_EQ(w.Shown.size(), 1u);
                w.Run(20 * Ms);
            },
            1, 2}),
    [](const auto& info) { return info.param.Name; });

// Changes from four threads at once while the window's thread shows frames in real time: the last change is
// shown, and the race checker sees the hand-over.
TEST(FrameRequestThreads, TheLastChangeOfManyThreadsIsShown)
{
    using Clock = std::chrono::steady_clock;
    const auto now = [] { return std::chrono::nanoseconds(Clock::now().time_since_epoch()).count(); };
    std::atomic<int> latest{0};
    int shown = -1;
    std::mutex lock;
    std::condition_variable woken;
    bool posted = false;
    std::optional<std::int64_t> holdAt;
    TFrameRequest frames{{now, [] { return TScreenRefresh{60, 1, {}}; },
        [&] {
            std::lock_guard guard(lock);
            posted = true;
            woken.notify_one();
            return true;
        },
        [&](std::int64_t AtNs) { holdAt = AtNs; }, [&] { holdAt.reset(); }, [&] { shown = latest.load(); },
        [] { return true; }}};

    constexpr int Changes = 4 * 5000;
    std::vector<std::thread> changers;
    for (int t = 0; t < 4; ++t)
        changers.emplace_back([&] {
            for (int change = 0; change < Changes / 4; ++change) {
                latest.fetch_add(1);
                frames.Request();
            }
        });
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (shown != Changes && Clock::now() < deadline) {
        std::unique_lock guard(lock);
        if (woken.wait_for(guard, std::chrono::milliseconds(1), [&] { return posted; })) {
            posted = false;
            guard.unlock();
            frames.Received();
        }
        if (holdAt && *holdAt <= now()) {
            holdAt.reset();
            frames.Due();
        }
    }
    for (std::thread& changer : changers)
        changer.join();
    EXPECT_EQ(shown, Changes);
}

}  // namespace

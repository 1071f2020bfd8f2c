// The executors: the real one's worker thread and its hand-over to the window's
// thread (a queue this test drains), and the stepped one tests use. Run under
// ThreadSanitizer too (the tsan preset).

#include "ui/Executor.h"

#include <gtest/gtest.h>

#include "ui/testing/SteppedExecutor.h"
#include "ui/testing/WindowThread.h"

namespace vtl::ui {
namespace {

using testing::Gate;
using testing::PostedQueue;

TEST(ThreadExecutor, CancellingDropsQueuedWorkStopsTheRunningOneAndDropsItsFinish) {
    PostedQueue window;
    Gate gate;
    bool finished = false;
    bool queuedRan = false;
    bool sawCancel = false;
    {
        ThreadExecutor executor([&](std::function<void()> task) { window.Post(std::move(task)); });
        executor.Submit([&](const CancelToken& token) -> Executor::Finish {
            gate.Arrive();
            sawCancel = token.Cancelled();
            return [&] { finished = true; };
        });
        const CancelToken queued = executor.Submit([&](const CancelToken&) -> Executor::Finish {
            queuedRan = true;
            return {};
        });
        gate.WaitForArrival();
        executor.CancelAll();
        EXPECT_TRUE(queued.Cancelled());
        gate.Open();
        // The destructor waits for the running work, which sees its token.
    }
    window.RunAll();
    EXPECT_TRUE(sawCancel);
    EXPECT_FALSE(queuedRan);
    EXPECT_FALSE(finished);
}

TEST(ThreadExecutor, AFinishPostedBeforeItsJobWasCancelledIsDropped) {
    PostedQueue window;
    int finished = 0;
    ThreadExecutor executor([&](std::function<void()> task) { window.Post(std::move(task)); });
    auto job = [&](const CancelToken&) -> Executor::Finish { return [&] { ++finished; }; };
    const CancelToken one = executor.Submit(job);
    ASSERT_TRUE(window.WaitForTask());  // posted, not yet run on the window's thread
    one.Cancel();
    window.RunAll();
    executor.Submit(job);
    ASSERT_TRUE(window.WaitForTask());
    executor.CancelAll();
    window.RunAll();
    EXPECT_EQ(finished, 0);
    executor.Submit(job);  // later jobs finish again
    EXPECT_TRUE(window.PumpUntil([&] { return finished == 1; }));
}

}  // namespace
}  // namespace vtl::ui

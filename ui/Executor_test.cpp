// The executors: the real one's worker thread and its hand-over to the window's
// thread (a queue this test drains), and the stepped one tests use. Run under
// ThreadSanitizer too (the tsan preset).

#include "ui/Executor.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ui/testing/SteppedExecutor.h"
#include "ui/testing/WindowThread.h"

namespace vtl::ui {
namespace {

using testing::Gate;
using testing::PostedQueue;

TEST(ThreadExecutor, WorksOffTheWindowsThreadInOrderAndFinishesOnIt) {
    PostedQueue window;
    const std::thread::id windowThread = std::this_thread::get_id();
    std::vector<std::string> log;  // touched by the finishes only
    std::vector<std::thread::id> workThreads(3);
    {
        ThreadExecutor executor([&](std::function<void()> task) { window.Post(std::move(task)); });
        for (int i = 0; i < 3; ++i) {
            executor.Submit([&, i](const CancelToken&) -> Executor::Finish {
                workThreads[i] = std::this_thread::get_id();
                if (i == 1) throw std::runtime_error("a failing work finishes nothing");
                return [&, i] {
                    EXPECT_EQ(std::this_thread::get_id(), windowThread);
                    log.push_back("finish " + std::to_string(i));
                };
            });
        }
        ASSERT_TRUE(window.PumpUntil([&] { return log.size() == 2; }));
    }
    EXPECT_EQ(log, (std::vector<std::string>{"finish 0", "finish 2"}));
    for (const std::thread::id& id : workThreads)
        EXPECT_NE(id, windowThread);
}

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

TEST(SteppedExecutor, RunsEachHalfWhenTheTestSaysAndSkipsCancelledJobs) {
    testing::SteppedExecutor executor;
    std::vector<std::string> log;
    auto job = [&](std::string name) {
        return executor.Submit([&log, name](const CancelToken&) -> Executor::Finish {
            log.push_back("work " + name);
            return [&log, name] { log.push_back("finish " + name); };
        });
    };
    job("a");
    const CancelToken b = job("b");
    job("c");
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(executor.RunWork());
    EXPECT_EQ(log, std::vector<std::string>{"work a"});
    b.Cancel();
    EXPECT_EQ(executor.Deliver(), 1);
    EXPECT_EQ(executor.RunAll(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"work a", "finish a", "work c", "finish c"}));
    EXPECT_TRUE(executor.Idle());

    job("d");
    executor.RunWork();
    executor.CancelAll();
    EXPECT_EQ(executor.Deliver(), 0);
    EXPECT_FALSE(executor.RunWork());
}

}  // namespace
}  // namespace vtl::ui

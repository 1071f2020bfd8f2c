// The companion library's start threads as virtual threads, beyond the contract
// suite: their timing, their own calls, injected failures, hung starts and
// their handles.

#include <gtest/gtest.h>

#include "core/sim/SimNetwork.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::StateOf;
using testing::TestService;

class SimStartThreadTest : public ::testing::Test, protected testing::TwoComputers {
  protected:
    std::uint32_t ExitCodeOf(const ThreadHandle& thread) {
        auto exit = platform.GetExitCodeThread(thread);
        EXPECT_EQ(exit.error, kErrorSuccess);
        return exit.code;
    }
};

TEST_F(SimStartThreadTest, StillActiveWhileTheServiceStartsThenZero) {
    ASSERT_EQ(pc1.AddService(TestService("Slow", "--start-ms 3000")), 0u);
    auto [thread, error] = platform.VTLStartService("Slow", "\\\\PC1", std::nullopt);
    ASSERT_EQ(error, kErrorSuccess);
    ASSERT_TRUE(thread);
    EXPECT_EQ(network.Now(), 0u);  // returns at once
    network.Advance(2999);
    EXPECT_EQ(ExitCodeOf(thread), kStillActive);
    network.Advance(1001);  // the thread looks again within a second
    EXPECT_EQ(StateOf(pc1, "Slow"), kServiceRunning);
    EXPECT_EQ(ExitCodeOf(thread), 0u);
    EXPECT_EQ(network.RunningStartThreads(), 0u);
    // The thread's own calls, as the program would see them in a trace.
    std::size_t threadCalls = 0;
    for (const auto& record : network.CallLog())
        if (record.onStartThread) {
            ++threadCalls;
            if (record.operation == "OpenSCManager") {
                EXPECT_EQ(record.access, kScManagerConnect);
            }
            if (record.operation == "OpenService") {
                EXPECT_EQ(record.access, kServiceStart | kServiceQueryStatus);
            }
        }
    EXPECT_GE(threadCalls, 5u);
    thread.reset();
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(SimStartThreadTest, FailuresEndTheThreadWithTheirErrorCode) {
    // A dependency that fails makes the thread end with 1068 once it has failed.
    ASSERT_EQ(pc1.AddService(TestService("BadDep", "--start-ms 400 --fail-start")), 0u);
    ASSERT_EQ(pc1.AddService(TestService("NeedsBad", {}, kServiceDemandStart, {"BadDep"})), 0u);
    auto dependent = platform.VTLStartService("NeedsBad", "PC1", std::nullopt);
    EXPECT_EQ(network.Now(), 0u);
    EXPECT_EQ(ExitCodeOf(dependent.handle), kStillActive);
    network.Advance(400);
    EXPECT_EQ(ExitCodeOf(dependent.handle), kErrorServiceDependencyFail);

    // An injected failure of the thread's StartService is its exit code.
    ASSERT_EQ(pc1.AddService(TestService("Injected")), 0u);
    network.FailCall("StartService", 1, kErrorServiceLogonFailed);
    auto injected = platform.VTLStartService("Injected", "PC1", std::nullopt);
    EXPECT_EQ(ExitCodeOf(injected.handle), kErrorServiceLogonFailed);
}

TEST_F(SimStartThreadTest, AServiceThatStopsDuringItsStartEndsTheThreadWithZero) {
    ASSERT_EQ(pc1.AddService(TestService("Dies", "--start-ms 500 --fail-start --specific 5")), 0u);
    auto thread = platform.VTLStartService("Dies", "\\\\PC1", std::nullopt);
    network.Advance(1000);
    EXPECT_EQ(ExitCodeOf(thread.handle), 0u);
    auto status = pc1.Status("Dies");
    EXPECT_EQ(status->currentState, kServiceStopped);
    EXPECT_EQ(status->serviceSpecificExitCode, 5u);
}

TEST_F(SimStartThreadTest, AHungStartEndsWith997AtTheBound) {
    ASSERT_EQ(pc1.AddService(TestService("Hangs", "--hang-start")), 0u);
    auto thread = platform.VTLStartService("Hangs", "\\\\PC1", std::nullopt);
    network.Advance(kStartThreadBoundMs - 1);
    EXPECT_EQ(ExitCodeOf(thread.handle), kStillActive);
    network.Advance(1);
    EXPECT_EQ(ExitCodeOf(thread.handle), kErrorIoPending);
    EXPECT_EQ(StateOf(pc1, "Hangs"), kServiceStartPending);
}

TEST_F(SimStartThreadTest, ThreadHandlesAreCountedAndTheThreadOutlivesItsHandle) {
    ASSERT_EQ(pc1.AddService(TestService("Slow", "--start-ms 5000")), 0u);
    auto thread = platform.VTLStartService("Slow", "\\\\PC1", std::nullopt);
    // The thread handle, and the manager and service the thread holds.
    EXPECT_EQ(network.OpenHandleCount(HandleKind::StartThread), 1u);
    EXPECT_EQ(network.OpenHandleCount(), 3u);
    thread.handle.reset();
    EXPECT_EQ(network.OpenHandleCount(), 2u);
    EXPECT_EQ(network.RunningStartThreads(), 1u);
    network.Advance(6000);
    EXPECT_EQ(StateOf(pc1, "Slow"), kServiceRunning);
    EXPECT_EQ(network.RunningStartThreads(), 0u);
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(SimStartThreadTest, AMissingLibraryFailsWith126) {
    ASSERT_EQ(pc1.AddService(TestService("Svc")), 0u);
    network.SetStartLibraryMissing(true);
    auto [thread, error] = platform.VTLStartService("Svc", "\\\\PC1", std::nullopt);
    EXPECT_FALSE(thread);
    EXPECT_EQ(error, kErrorModNotFound);
    EXPECT_EQ(StateOf(pc1, "Svc"), kServiceStopped);
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace vtl::sim

#include "companion/StartWait.h"

#include <gtest/gtest.h>

namespace vtl::companion {
namespace {

ServiceStatus Pending(std::uint32_t checkPoint, std::uint32_t waitHint) {
    return {.currentState = kServiceStartPending, .checkPoint = checkPoint, .waitHint = waitHint};
}

ServiceStatus InState(std::uint32_t state) {
    return {.currentState = state};
}

TEST(StartWait, EndsWithSuccessOnceTheServiceHasLeftStartPending) {
    for (const std::uint32_t state :
         {kServiceRunning, kServiceStopped, kServiceStopPending, kServicePaused}) {
        StartWait wait;
        EXPECT_EQ(wait.Next(InState(state), 0), (StartWaitStep{true, 0, 0})) << state;
    }
    StartWait wait;
    EXPECT_FALSE(wait.Next(Pending(1, 2000), 0).done);
    EXPECT_EQ(wait.Next(InState(kServiceRunning), 119999), (StartWaitStep{true, 0, 0}));
    // Even past the bound, a service that made it is a success, not "nothing to report".
    StartWait late;
    EXPECT_EQ(late.Next(InState(kServiceRunning), 500000), (StartWaitStep{true, 0, 0}));
}

TEST(StartWait, AServiceStalledPastItsHintIsPolledEverySecondAndNotGivenUp) {
    StartWait wait;
    EXPECT_EQ(wait.Next(Pending(1, 5000), 0).sleepMs, 500u);
    EXPECT_EQ(wait.Next(Pending(1, 5000), 4000).sleepMs, 500u);
    // No check point change for longer than the hint.
    EXPECT_EQ(wait.Next(Pending(1, 5000), 5001), (StartWaitStep{false, 0, kStartPollStalledMs}));
    // Progress counts again from the new check point.
    EXPECT_EQ(wait.Next(Pending(2, 5000), 9000).sleepMs, 500u);
    EXPECT_EQ(wait.Next(Pending(2, 5000), 13999).sleepMs, 500u);
    EXPECT_EQ(wait.Next(Pending(2, 5000), 14001).sleepMs, kStartPollStalledMs);
}

TEST(StartWait, StillStartPendingAtTheBoundIsTheOnlyNothingToReportAndNoSleepPassesIt) {
    StartWait wait;
    std::uint64_t elapsed = 0;
    StartWaitStep step;
    int polls = 0;
    // A service that never leaves START_PENDING, polled as the thread polls it.
    while (!(step = wait.Next(Pending(1, 30000), elapsed)).done) {
        ASSERT_GT(step.sleepMs, 0u);
        elapsed += step.sleepMs;
        ASSERT_LT(++polls, 1000);
    }
    EXPECT_EQ(step.exitCode, kErrorIoPending);
    // The last sleep ends exactly at the bound, never past it.
    EXPECT_EQ(elapsed, kStartWaitBoundMs);

    // No sleep reaches past the bound.
    wait = StartWait();
    EXPECT_EQ(wait.Next(Pending(1, 100000), 118000).sleepMs, 2000u);
    EXPECT_EQ(wait.Next(Pending(2, 100000), 119999).sleepMs, 1u);
    EXPECT_EQ(wait.Next(Pending(3, 100000), 120000), (StartWaitStep{true, kErrorIoPending, 0}));
}

}  // namespace
}  // namespace vtl::companion

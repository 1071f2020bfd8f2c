#include "wrapper/StatusSequence.h"

#include <gtest/gtest.h>

namespace vtl::wrapper {
namespace {

TEST(StatusSequence, AStartCountsCheckPointsThenRunsAcceptingStop) {
    StatusSequence sequence;
    auto s = sequence.StartPending(5000);
    EXPECT_EQ(s.currentState, kServiceStartPending);
    EXPECT_EQ(s.checkPoint, 1u);
    EXPECT_EQ(s.waitHint, 5000u);
    EXPECT_EQ(s.controlsAccepted, 0u);
    EXPECT_EQ(s.serviceType, kServiceWin32OwnProcess);
    EXPECT_EQ(sequence.StartPending(3000).checkPoint, 2u);
    s = sequence.Running();
    EXPECT_EQ(s.currentState, kServiceRunning);
    EXPECT_EQ(s.checkPoint, 0u);
    EXPECT_EQ(s.waitHint, 0u);
    EXPECT_EQ(s.controlsAccepted, kServiceAcceptStop | kServiceAcceptShutdown);
}

TEST(StatusSequence, AStopAdvancesFromOneAndEndsStoppedWithTheExitCodes) {
    StatusSequence sequence;
    (void)sequence.StartPending(5000);
    (void)sequence.Running();
    auto s = sequence.StopPending(15000);
    EXPECT_EQ(s.currentState, kServiceStopPending);
    EXPECT_EQ(s.checkPoint, 1u);
    EXPECT_EQ(s.controlsAccepted, 0u);
    EXPECT_EQ(sequence.StopPending(14000).checkPoint, 2u);
    EXPECT_EQ(sequence.StopPending(13000).checkPoint, 3u);
    // A late "running" from the payload does not undo the stop.
    EXPECT_EQ(sequence.Running().currentState, kServiceStopPending);
    s = sequence.Stopped({kErrorServiceSpecificError, 3});
    EXPECT_EQ(s.currentState, kServiceStopped);
    EXPECT_EQ(s.win32ExitCode, 1066u);
    EXPECT_EQ(s.serviceSpecificExitCode, 3u);
    EXPECT_EQ(s.checkPoint, 0u);
    EXPECT_EQ(s.waitHint, 0u);
}

TEST(StatusSequence, NothingFollowsStopped) {
    StatusSequence sequence;
    (void)sequence.StartPending(5000);
    const auto stopped = sequence.Stopped({2, 0});
    EXPECT_EQ(sequence.StopPending(1000), stopped);
    EXPECT_EQ(sequence.Running(), stopped);
    EXPECT_EQ(sequence.StartPending(1000), stopped);
    EXPECT_EQ(sequence.Stopped({0, 0}), stopped);
    EXPECT_EQ(sequence.Current(), stopped);
}

TEST(StatusSequence, AStopDuringTheStartIsStopPendingFromCheckPointOne) {
    StatusSequence sequence;
    (void)sequence.StartPending(5000);
    (void)sequence.StartPending(5000);
    auto s = sequence.StopPending(9000);
    EXPECT_EQ(s.currentState, kServiceStopPending);
    EXPECT_EQ(s.checkPoint, 1u);
    EXPECT_EQ(sequence.StartPending(5000).currentState, kServiceStopPending);
}

TEST(StatusSequence, TheProgramsExitCodeBecomesTheServices) {
    EXPECT_EQ(ExitForProgramCode(0), (ServiceExit{0, 0}));
    EXPECT_EQ(ExitForProgramCode(3), (ServiceExit{1066, 3}));
    EXPECT_EQ(ExitForProgramCode(0xC000013A), (ServiceExit{1066, 0xC000013A}));
}

}  // namespace
}  // namespace vtl::wrapper

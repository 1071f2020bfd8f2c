#include "wrapper/StatusSequence.h"

#include <gtest/gtest.h>

namespace vtl::wrapper {
namespace {

ServiceStatus Record(std::uint32_t state, std::uint32_t checkPoint, std::uint32_t waitHint,
                     std::uint32_t accepted = 0) {
    return {.serviceType = kServiceWin32OwnProcess,
            .currentState = state,
            .controlsAccepted = accepted,
            .checkPoint = checkPoint,
            .waitHint = waitHint};
}

TEST(StatusSequence, AStartCountsCheckPointsThenRunsAcceptingStop) {
    StatusSequence sequence;
    EXPECT_EQ(sequence.StartPending(5000), Record(kServiceStartPending, 1, 5000));
    EXPECT_EQ(sequence.StartPending(3000), Record(kServiceStartPending, 2, 3000));
    EXPECT_EQ(sequence.Running(),
              Record(kServiceRunning, 0, 0, kServiceAcceptStop | kServiceAcceptShutdown));
}

TEST(StatusSequence, AStopAdvancesFromOneAndEndsStoppedWithTheExitCodes) {
    StatusSequence sequence;
    (void)sequence.StartPending(5000);
    (void)sequence.Running();
    EXPECT_EQ(sequence.StopPending(15000), Record(kServiceStopPending, 1, 15000));
    EXPECT_EQ(sequence.StopPending(14000).checkPoint, 2u);
    EXPECT_EQ(sequence.StopPending(13000).checkPoint, 3u);
    // A late "running" from the payload does not undo the stop.
    EXPECT_EQ(sequence.Running().currentState, kServiceStopPending);
    auto stopped = Record(kServiceStopped, 0, 0);
    stopped.win32ExitCode = 1066;
    stopped.serviceSpecificExitCode = 3;
    EXPECT_EQ(sequence.Stopped({kErrorServiceSpecificError, 3}), stopped);
    // Nothing follows STOPPED.
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
    EXPECT_EQ(sequence.StopPending(9000), Record(kServiceStopPending, 1, 9000));
    EXPECT_EQ(sequence.StartPending(5000).currentState, kServiceStopPending);
}

TEST(StatusSequence, TheProgramsExitCodeBecomesTheServices) {
    EXPECT_EQ(ExitForProgramCode(0), (ServiceExit{0, 0}));
    EXPECT_EQ(ExitForProgramCode(3), (ServiceExit{1066, 3}));
    EXPECT_EQ(ExitForProgramCode(0xC000013A), (ServiceExit{1066, 0xC000013A}));
}

}  // namespace
}  // namespace vtl::wrapper

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

TEST(StatusSequence, AStopDuringTheStartIsStopPendingFromCheckPointOne) {
    StatusSequence sequence;
    (void)sequence.StartPending(5000);
    (void)sequence.StartPending(5000);
    EXPECT_EQ(sequence.StopPending(9000), Record(kServiceStopPending, 1, 9000));
    EXPECT_EQ(sequence.StartPending(5000).currentState, kServiceStopPending);
}

}  // namespace
}  // namespace vtl::wrapper

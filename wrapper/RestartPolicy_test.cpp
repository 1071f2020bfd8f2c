#include "wrapper/RestartPolicy.h"

#include <gtest/gtest.h>

namespace vtl::wrapper {
namespace {

TEST(RestartPolicy, TheDelayDoublesWithEachAttemptUpToTheCap) {
    EXPECT_EQ(RestartDelayMs(0, 1000, 60000), 1000u);
    EXPECT_EQ(RestartDelayMs(1, 1000, 60000), 2000u);
    EXPECT_EQ(RestartDelayMs(2, 1000, 60000), 4000u);
    EXPECT_EQ(RestartDelayMs(5, 1000, 60000), 32000u);
    EXPECT_EQ(RestartDelayMs(6, 1000, 60000), 60000u);
    EXPECT_EQ(RestartDelayMs(4000000000u, 1000, 60000), 60000u);
    EXPECT_EQ(RestartDelayMs(40, 3600000, 3600000), 3600000u);
    EXPECT_EQ(RestartDelayMs(3, 0, 60000), 0u);  // no delay stays no delay
    EXPECT_EQ(RestartDelayMs(0, 5000, 1000), 1000u);
}

TEST(RestartPolicy, QuickFailuresInARowBackOffAndAHealthyRunStartsOver) {
    RestartBackoff backoff(1000, 8000, 60000);
    EXPECT_EQ(backoff.DelayAfterRun(10), 1000u);
    EXPECT_EQ(backoff.DelayAfterRun(10), 2000u);
    EXPECT_EQ(backoff.DelayAfterRun(59999), 4000u);
    EXPECT_EQ(backoff.DelayAfterRun(10), 8000u);
    EXPECT_EQ(backoff.DelayAfterRun(10), 8000u);
    EXPECT_EQ(backoff.attempt(), 5u);
    EXPECT_EQ(backoff.DelayAfterRun(60000), 1000u);
    EXPECT_EQ(backoff.attempt(), 1u);
    EXPECT_EQ(backoff.DelayAfterRun(1), 2000u);
}

}  // namespace
}  // namespace vtl::wrapper

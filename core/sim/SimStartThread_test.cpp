// The companion library's start threads as virtual threads, beyond the contract
// suite: a hung start.

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

TEST_F(SimStartThreadTest, AHungStartEndsWith997AtTheBound) {
    ASSERT_EQ(pc1.AddService(TestService("Hangs", "--hang-start")), 0u);
    auto thread = platform.VTLStartService("Hangs", "\\\\PC1", std::nullopt);
    network.Advance(kStartThreadBoundMs - 1);
    EXPECT_EQ(ExitCodeOf(thread.handle), kStillActive);
    network.Advance(1);
    EXPECT_EQ(ExitCodeOf(thread.handle), kErrorIoPending);
    EXPECT_EQ(StateOf(pc1, "Hangs"), kServiceStartPending);
}

}  // namespace
}  // namespace vtl::sim

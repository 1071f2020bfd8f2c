#include "main/sim/frmSimClock.h"

#include <gtest/gtest.h>

#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl {
namespace {

TEST(frmSimClock, MovesTheSimulatedClockOnByTheRealTimeThatPassed) {
    sim::SimNetwork network;
    network.AddComputer("PC1");
    std::uint64_t real = 5000;
    ui::testing::ScriptedPrompter prompts;
    ui::testing::TestHost host(prompts);
    frmSimClock clock(host, network, [&] { return real; });
    clock.Load();
    EXPECT_FALSE(clock.Visible());
    real += 120;
    host.RunFor(50);
    EXPECT_EQ(network.Now(), 120u);
    host.RunFor(50);  // no real time passed
    EXPECT_EQ(network.Now(), 120u);
    real += 1000;
    host.RunFor(50);
    EXPECT_EQ(network.Now(), 1120u);
}

}  // namespace
}  // namespace vtl

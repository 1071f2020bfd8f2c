#pragma once
// A simulated computer with many services and a main window over it, for the
// benchmarks and the instruction-count driver.

#include <memory>
#include <string>

#include "bench/TimedPlatform.h"
#include "core/sim/SimNetwork.h"
#include "main/frmMain.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/SteppedExecutor.h"
#include "ui/testing/TestHost.h"

namespace vtl::bench {

inline constexpr std::string_view kBenchComputer = "BENCH01";

// Services of the benchmark computer: varied names, start types, states and accounts.
void AddBenchServices(sim::SimComputer& computer, int count);

class BenchWorld {
  public:
    // A computer with count services; the main window is loaded and shows them.
    // Its readings wait in `work` until the benchmark runs them, as a worker
    // thread would, so the window thread's share can be told apart.
    explicit BenchWorld(int count);
    ~BenchWorld();
    BenchWorld(const BenchWorld&) = delete;
    BenchWorld& operator=(const BenchWorld&) = delete;

    sim::SimNetwork network;
    TimedPlatform timed{network.PlatformFor(AddComputer(network, 0))};
    ui::testing::ScriptedPrompter prompts;
    ui::testing::TestHost host{prompts, [this] { return network.Now(); },
                               [this](std::uint64_t t) {
                                   if (t > network.Now()) network.Advance(t - network.Now());
                               }};
    ui::testing::SteppedExecutor work;
    std::unique_ptr<frmMain> form;

  private:
    static std::string AddComputer(sim::SimNetwork& network, int);
};

}  // namespace vtl::bench

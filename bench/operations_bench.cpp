// The service commands over a simulated computer: Start of 50 and 500 selected
// rows, one tick of the start watch with 50 watched rows (all still pending, and
// all ending in that tick), and Stop of 50 rows with no latency. Besides the
// time, each run reports per row: the platform calls made, the simulated
// platform's time, the program's own time (the rest), and the virtual time the
// command takes when every platform call costs 1 ms.

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "bench/TimedPlatform.h"
#include "core/ServiceRow.h"
#include "core/sim/SimNetwork.h"
#include "main/frmMain.h"
#include "operations/ServiceOperations.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl::bench {
namespace {

constexpr std::string_view kComputer = "OPS01";

// A computer with count services in the given state, the main window over it
// with the commands wired in, every row selected.
class OpsWorld {
  public:
    OpsWorld(int count, std::uint32_t state, bool hangStart) {
        sim::SimComputer& computer = network.AddComputer(kComputer);
        for (int i = 0; i < count; ++i) {
            sim::ServiceDefinition d;
            d.name = "OpsService" + std::to_string(1000 + i);
            d.displayName = "Operations benchmark service " + std::to_string(i);
            d.state = state;
            d.binaryPath = "C:\\Windows\\System32\\svchost.exe -k ops";
            sim::ServiceBehaviour behaviour;
            behaviour.hangStart = hangStart;
            d.behaviour = behaviour;
            (void)computer.AddService(d);
        }
        network.EnableCallLog(false);
        prompts.SetAutoOk(true);
        form = std::make_unique<frmMain>(host, timed);
        form->SetHooks(ops);
        form->Show();
        for (ui::ListRowId row : form->lvServices.Rows())
            form->lvServices.SetSelected(row, true);
    }
    ~OpsWorld() { form.reset(); }
    OpsWorld(const OpsWorld&) = delete;
    OpsWorld& operator=(const OpsWorld&) = delete;

    void ForceAll(std::uint32_t state) {
        sim::SimComputer& computer = network.Computer(kComputer);
        for (const std::string& name : computer.ServiceNames())
            (void)computer.ForceState(name, state);
    }

    sim::SimNetwork network;
    TimedPlatform timed{network.PlatformFor(network.AddComputer(kComputer).Name())};
    ui::testing::ScriptedPrompter prompts;
    ui::testing::TestHost host{prompts, [this] { return network.Now(); },
                               [this](std::uint64_t t) {
                                   if (t > network.Now()) network.Advance(t - network.Now());
                               }};
    std::unique_ptr<frmMain> form;
    ServiceOperations ops{host};
};

// Calls per row and the virtual time per row with 1 ms per call, from one
// logged run outside the measurement.
void CountCalls(benchmark::State& state, OpsWorld& world, int rows,
                const std::function<void()>& prepare, const std::function<void()>& run) {
    sim::SimNetwork& network = world.network;
    prepare();
    network.EnableCallLog(true);
    network.ClearCallLog();
    network.SetLatency("*", 1);
    const std::uint64_t before = network.Now();
    run();
    const std::uint64_t virtualMs = network.Now() - before;
    network.ClearLatency();
    std::size_t calls = 0;
    for (const sim::CallRecord& call : network.CallLog())
        calls += call.onStartThread ? 0 : 1;
    network.ClearCallLog();
    network.EnableCallLog(false);
    state.counters["calls/row"] = static_cast<double>(calls) / rows;
    state.counters["virt_ms/row@1ms"] = static_cast<double>(virtualMs) / rows;
}

// Times run; prepare runs outside the measurement before each run. simTime
// gives the simulated platform's share of the last run where the timed
// platform does not see it.
void Measure(benchmark::State& state, OpsWorld& world, int rows,
             const std::function<void()>& prepare, const std::function<void()>& run,
             const std::function<std::chrono::nanoseconds()>& untimedSim = {}) {
    CountCalls(state, world, rows, prepare, run);
    world.timed.Reset();
    std::chrono::nanoseconds total{};
    std::chrono::nanoseconds extraSim{};
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        run();
        total += std::chrono::steady_clock::now() - start;
        if (untimedSim) {
            state.PauseTiming();
            extraSim += untimedSim();
            state.ResumeTiming();
        }
    }
    const double n = static_cast<double>(rows) * static_cast<double>(state.iterations());
    const double inside = static_cast<double>((world.timed.TimeInside() + extraSim).count());
    state.counters["rows"] = rows;
    state.counters["ns/row"] = static_cast<double>(total.count()) / n;
    state.counters["sim_ns/row"] = inside / n;
    state.counters["prog_ns/row"] = (static_cast<double>(total.count()) - inside) / n;
}

// The companion library's part of a Start of every row, measured alone: the
// same VTLStartService calls and the closing of the handles they give.
std::chrono::nanoseconds StartLibraryTime(OpsWorld& world) {
    Platform& platform = world.network.PlatformFor(kComputer);
    std::vector<std::string> names;
    for (ui::ListRowId row : world.form->lvServices.Rows())
        names.push_back(world.form->lvServices.Text(row));
    world.ForceAll(kServiceStopped);
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& name : names) {
        Opened<ThreadHandle> thread = platform.VTLStartService(name, "\\\\OPS01", std::nullopt);
        thread.handle.reset();
    }
    return std::chrono::steady_clock::now() - start;
}

void BM_Start(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    OpsWorld world(rows, kServiceStopped, false);
    frmMain& form = *world.form;
    Measure(
        state, world, rows,
        [&] {
            world.network.Advance(2000);  // the start threads of the last run end
            world.ForceAll(kServiceStopped);
        },
        [&] { world.ops.mnuStart_Click(form); }, [&] { return StartLibraryTime(world); });
    if (world.ops.WatchedCount() != static_cast<std::size_t>(rows))
        state.SkipWithError("not every row is watched");
}

void BM_WatchTickPending(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    OpsWorld world(rows, kServiceStopped, true);
    frmMain& form = *world.form;
    world.ops.mnuStart_Click(form);
    Measure(
        state, world, rows, [] {}, [&] { world.ops.tmrService_Timer(form); });
    if (world.ops.WatchedCount() != static_cast<std::size_t>(rows))
        state.SkipWithError("a start ended");
}

void BM_WatchTickAllEnd(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    OpsWorld world(rows, kServiceStopped, false);
    frmMain& form = *world.form;
    Measure(
        state, world, rows,
        [&] {
            world.ForceAll(kServiceStopped);
            world.ops.mnuStart_Click(form);
            world.network.Advance(2000);  // every start has ended, none ticked yet
        },
        [&] { world.ops.tmrService_Timer(form); });
    if (world.ops.WatchedCount() != 0) state.SkipWithError("a start is still watched");
}

void BM_Stop(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    OpsWorld world(rows, kServiceRunning, false);
    frmMain& form = *world.form;
    Measure(
        state, world, rows, [&] { world.ForceAll(kServiceRunning); },
        [&] { world.ops.mnuStop_Click(form); });
    if (world.ops.ErrorCount() != 0) state.SkipWithError("a stop failed");
}

BENCHMARK(BM_Start)->Arg(50)->Arg(500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WatchTickPending)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WatchTickAllEnd)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Stop)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vtl::bench

BENCHMARK_MAIN();

// The services list over a simulated computer with 300 and 3,000 services:
// listing, full refresh and one periodic pass. Besides the time, each run
// reports per row: the platform calls made, the program's own time (the time
// outside the platform), the simulated platform's time, and the virtual time
// the procedure takes when every platform call costs 1 ms.

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include "bench/BenchWorld.h"

namespace vtl::bench {
namespace {

BenchWorld& World(int count) {
    static std::map<int, std::unique_ptr<BenchWorld>> worlds;
    auto& world = worlds[count];
    if (!world) world = std::make_unique<BenchWorld>(count);
    return *world;
}

// Calls per row, and the virtual time per row with 1 ms per call, from one
// logged run outside the measurement.
void CountPlatformCalls(benchmark::State& state, BenchWorld& world, int rows,
                        const std::function<void()>& run) {
    sim::SimNetwork& network = world.network;
    network.EnableCallLog(true);
    network.ClearCallLog();
    network.SetLatency("*", 1);
    const std::uint64_t before = network.Now();
    run();
    const std::uint64_t virtualMs = network.Now() - before;
    network.ClearLatency();
    const double calls = static_cast<double>(network.CallLog().size());
    network.ClearCallLog();
    network.EnableCallLog(false);
    state.counters["calls/row"] = calls / rows;
    state.counters["virt_ms/row@1ms"] = static_cast<double>(virtualMs) / rows;
}

void Measure(benchmark::State& state, const std::function<void()>& run, bool expectSameRows) {
    const int count = static_cast<int>(state.range(0));
    BenchWorld& world = World(count);
    frmMain& form = *world.form;
    if (form.lvServices.RowCount() != count) {
        state.SkipWithError("the list does not show every service");
        return;
    }
    CountPlatformCalls(state, world, count, run);
    const std::vector<ui::ListRowId> rowsBefore = form.lvServices.Rows();

    world.timed.Reset();
    std::chrono::nanoseconds total{};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        run();
        total += std::chrono::steady_clock::now() - start;
    }
    const double rows = static_cast<double>(count) * static_cast<double>(state.iterations());
    const double inside = static_cast<double>(world.timed.TimeInside().count());
    state.counters["rows"] = count;
    state.counters["ns/row"] = static_cast<double>(total.count()) / rows;
    state.counters["prog_ns/row"] = (static_cast<double>(total.count()) - inside) / rows;
    state.counters["sim_ns/row"] = inside / rows;
    if (expectSameRows && form.lvServices.Rows() != rowsBefore)
        state.SkipWithError("the list was rebuilt");
}

void BM_Listing(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    frmMain& form = *world.form;
    Measure(
        state,
        [&] {
            form.lvServices.Clear();
            form.EnumSystemServices(kServiceStateAll, form.ComputerName(), form.lvServices);
        },
        false);
}

void BM_FullRefresh(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    frmMain& form = *world.form;
    Measure(
        state,
        [&] { form.RefreshSystemServices(kServiceStateAll, form.ComputerName(), form.lvServices); },
        true);
}

void BM_PeriodicPass(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    frmMain& form = *world.form;
    Measure(
        state, [&] { form.RefreshServiceStates(); }, true);
}

BENCHMARK(BM_Listing)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRefresh)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeriodicPass)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vtl::bench

BENCHMARK_MAIN();

// The services list over a simulated computer with 300 and 3,000 services, as
// the window runs it: the periodic pass, listing and View > Refresh read the
// services off the window's thread (here an executor the benchmark steps) and
// their results come back to be applied on it. The time reported is the window
// thread's own: starting the reading and applying its result. Counters:
//
//   ui_calls        platform calls made on the window's thread (target 0)
//   work_calls      platform calls of the reading, off the window's thread
//   work_ms@1ms     the reading's virtual time when every platform call costs 1 ms
//   work_ms         the reading's real time over the simulation
//   start_us        of the window thread's time: starting the reading (the rows
//                   copied for it), the rest being the applying of its result
//   changed         services whose state changed before each pass

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchWorld.h"

namespace vtl::bench {
namespace {

using Clock = std::chrono::steady_clock;

BenchWorld& World(int count) {
    static std::map<int, std::unique_ptr<BenchWorld>> worlds;
    auto& world = worlds[count];
    if (!world) world = std::make_unique<BenchWorld>(count);
    return *world;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One reading: start (window's thread), work (off it), apply (window's thread).
struct Run {
    Clock::duration start{};
    Clock::duration apply{};
    Clock::duration work{};
};
Run RunOnce(BenchWorld& world, const std::function<void()>& start) {
    Run run;
    const auto t0 = Clock::now();
    start();
    const auto t1 = Clock::now();
    while (world.work.RunWork()) {
    }
    const auto t2 = Clock::now();
    world.work.Deliver();
    const auto t3 = Clock::now();
    run.start = t1 - t0;
    run.apply = t3 - t2;
    run.work = t2 - t1;
    return run;
}

// One logged run with 1 ms per call: the calls of each thread and the reading's
// virtual time.
void CountCalls(benchmark::State& state, BenchWorld& world, const std::function<void()>& prepare,
                const std::function<void()>& start) {
    sim::SimNetwork& network = world.network;
    prepare();
    network.EnableCallLog(true);
    network.ClearCallLog();
    network.SetLatency("*", 1);
    start();
    const std::size_t uiStart = network.CallLog().size();
    const std::uint64_t before = network.Now();
    while (world.work.RunWork()) {
    }
    const std::uint64_t virtualMs = network.Now() - before;
    const std::size_t worked = network.CallLog().size();
    world.work.Deliver();
    const std::size_t uiApply = network.CallLog().size() - worked;
    network.ClearLatency();
    network.ClearCallLog();
    network.EnableCallLog(false);
    state.counters["ui_calls"] = static_cast<double>(uiStart + uiApply);
    state.counters["work_calls"] = static_cast<double>(worked - uiStart);
    state.counters["work_ms@1ms"] = static_cast<double>(virtualMs);
}

void Measure(benchmark::State& state, const std::function<void()>& prepare,
             const std::function<void()>& start, bool expectSameRows) {
    const int count = static_cast<int>(state.range(0));
    BenchWorld& world = World(count);
    frmMain& form = *world.form;
    if (form.lvServices.RowCount() != count) {
        state.SkipWithError("the list does not show every service");
        return;
    }
    CountCalls(state, world, prepare, start);
    const std::vector<ui::ListRowId> rowsBefore = form.lvServices.Rows();
    Run total;
    for (auto _ : state) {
        prepare();
        const Run run = RunOnce(world, start);
        total.start += run.start;
        total.apply += run.apply;
        total.work += run.work;
        state.SetIterationTime(Seconds(run.start + run.apply));
    }
    const double runs = static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["rows"] = count;
    state.counters["start_us"] = Seconds(total.start) * 1e6 / runs;
    state.counters["work_ms"] = Seconds(total.work) * 1000.0 / runs;
    if (expectSameRows && form.lvServices.Rows() != rowsBefore)
        state.SkipWithError("the list was rebuilt");
    if (form.lvServices.RowCount() != count) state.SkipWithError("rows were lost");
}

void BM_PeriodicPass(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    frmMain& form = *world.form;
    // Every step'th service changes state before each pass.
    const int changed = static_cast<int>(state.range(1));
    std::vector<std::string> names;
    for (const ui::ListRowId row : form.lvServices.Rows())
        names.push_back(form.lvServices.Text(row));
    auto flip = [&] {
        sim::SimComputer& computer = world.network.Computer(kBenchComputer);
        for (int i = 0; i < changed; ++i) {
            const std::string& name = names[static_cast<std::size_t>(i) * names.size() /
                                            static_cast<std::size_t>(changed)];
            const bool running = computer.Status(name)->currentState == kServiceRunning;
            (void)computer.ForceState(name, running ? kServiceStopped : kServiceRunning);
        }
    };
    Measure(
        state, flip, [&] { form.RefreshServiceStates(); }, true);
    state.counters["changed"] = changed;
}

void BM_Listing(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    frmMain& form = *world.form;
    Measure(
        state, [] {}, [&] { form.cboSystems.SelectItem(0); }, false);
}

void BM_FullRefresh(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    frmMain& form = *world.form;
    Measure(
        state, [] {}, [&] { form.mnuViewRefresh.Click(); }, true);
}

BENCHMARK(BM_PeriodicPass)
    ->ArgNames({"services", "changed"})
    ->Args({300, 0})
    ->Args({300, 30})
    ->Args({3000, 0})
    ->Args({3000, 30})
    ->Args({3000, 300})
    ->Args({3000, 3000})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Listing)->Arg(300)->Arg(3000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRefresh)->Arg(300)->Arg(3000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vtl::bench

BENCHMARK_MAIN();

// The properties dialog over a simulated computer with 300 and 3,000 services:
// opening it (a reload in place), OK without edits, and the Add Dependencies
// dialog filling its list from the main window's rows. Opening and OK report
// their platform calls, which must not grow with the number of services, and
// the program's own time per run (the simulation's share taken out: some of its
// calls look at every service); the fill reports its time per row, which must
// stay flat (a linear fill).

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/BenchWorld.h"
#include "operations/ServiceOperations.h"
#include "properties/PropertiesCommand.h"
#include "properties/frmAddDeps.h"
#include "properties/frmProperties.h"

namespace vtl::bench {
namespace {

// A benchmark world with the Properties command and the first row selected.
struct PropertiesWorld {
    explicit PropertiesWorld(int count) : world(count) {
        world.network.EnableCallLog(false);
        world.prompts.SetAutoOk(true);
        world.form->lvServices.ClickRow(world.form->lvServices.RowAt(0));
    }
    ~PropertiesWorld() { properties.reset(); }
    frmProperties& Open() {
        properties->mnuProperties_Click(*world.form);
        return *properties->Existing();
    }

    BenchWorld world;
    ServiceOperations ops{world.host};
    std::unique_ptr<PropertiesCommand> properties =
        std::make_unique<PropertiesCommand>(world.host, ops);
};

// The platform calls of one run, from a logged run outside the measurement.
template <class Run>
void CountCalls(benchmark::State& state, PropertiesWorld& w, Run run) {
    w.world.network.EnableCallLog(true);
    w.world.network.ClearCallLog();
    run();
    state.counters["calls"] = static_cast<double>(w.world.network.CallLog().size());
    w.world.network.ClearCallLog();
    w.world.network.EnableCallLog(false);
}

// The program's own time per run (the measured time without the service
// manager's), and the service manager's.
void Times(benchmark::State& state, std::chrono::nanoseconds measured,
           std::chrono::nanoseconds inside) {
    const double runs = static_cast<double>(state.iterations()) * 1000.0;
    state.counters["prog_us"] = static_cast<double>((measured - inside).count()) / runs;
    state.counters["sim_us"] = static_cast<double>(inside.count()) / runs;
}

void BM_OpenProperties(benchmark::State& state) {
    PropertiesWorld w(static_cast<int>(state.range(0)));
    w.Open();
    CountCalls(state, w, [&] { w.Open(); });
    w.world.timed.Reset();
    std::chrono::nanoseconds measured{};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(&w.Open());
        measured += std::chrono::steady_clock::now() - start;
    }
    Times(state, measured, w.world.timed.TimeInside());
}

void BM_PropertiesOk(benchmark::State& state) {
    PropertiesWorld w(static_cast<int>(state.range(0)));
    CountCalls(state, w, [&] { w.Open().cmdOK.Click(); });
    std::chrono::nanoseconds measured{};
    std::chrono::nanoseconds inside{};
    for (auto _ : state) {
        state.PauseTiming();
        frmProperties& dialog = w.Open();
        w.world.timed.Reset();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        dialog.cmdOK.Click();
        measured += std::chrono::steady_clock::now() - start;
        inside += w.world.timed.TimeInside();
    }
    Times(state, measured, inside);
    if (w.properties->Existing()->Loaded()) state.SkipWithError("OK did not close the dialog");
}

void BM_AddDepsFill(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    PropertiesWorld w(rows);
    frmProperties& dialog = w.Open();
    for (auto _ : state) {
        frmAddDeps deps(w.world.host, w.world.form->lvServices, dialog.lstDependSrv, "");
        deps.Load();
        if (deps.lstCurSrvs.ListCount() != rows - 1) state.SkipWithError("a row is missing");
        state.PauseTiming();
        deps.Unload();
        state.ResumeTiming();
    }
    state.SetComplexityN(rows);
    state.counters["s/row"] = benchmark::Counter(
        static_cast<double>(rows),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_OpenProperties)->Arg(300)->Arg(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PropertiesOk)->Arg(300)->Arg(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddDepsFill)
    ->Arg(300)
    ->Arg(1000)
    ->Arg(3000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace vtl::bench

BENCHMARK_MAIN();

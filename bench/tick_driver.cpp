// One periodic pass over 3,000 listed services, for an instruction count:
//
//   valgrind --tool=callgrind --callgrind-out-file=build/native/bench/tick.callgrind
//       --toggle-collect='vtl::frmMain::RefreshServiceStates()'
//       --toggle-collect='vtl::ui::testing::SteppedExecutor::RunAll()'
//       build/native/bench/tick_driver
//   (one command line)
//   callgrind_annotate build/native/bench/tick.callgrind | head -30
//
// Only the pass is counted: its start on the window's thread, its reading and
// the applying of its result (the set-up and the listing are not). An optional
// argument gives another number of services.

#include <cstdio>
#include <cstdlib>

#include "bench/BenchWorld.h"

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 3000;
    vtl::bench::BenchWorld world(count);
    world.network.EnableCallLog(false);
    if (world.form->lvServices.RowCount() != count) {
        std::fprintf(stderr, "listed %d of %d services\n", world.form->lvServices.RowCount(),
                     count);
        return 1;
    }
    world.form->RefreshServiceStates();
    world.work.RunAll();
    std::printf("one periodic pass over %d rows done\n", world.form->lvServices.RowCount());
    return 0;
}

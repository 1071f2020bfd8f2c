#include "bench/BenchWorld.h"

#include <array>

namespace vtl::bench {

void AddBenchServices(sim::SimComputer& computer, int count) {
    constexpr std::array<std::string_view, 5> kPrefixes = {"App", "net", "Sys", "wmi", "Data"};
    constexpr std::array<std::uint32_t, 3> kStartTypes = {kServiceAutoStart, kServiceDemandStart,
                                                          kServiceDisabled};
    constexpr std::array<std::string_view, 3> kAccounts = {
        "LocalSystem", "NT AUTHORITY\\LocalService", "NT AUTHORITY\\NetworkService"};
    for (int i = 0; i < count; ++i) {
        sim::ServiceDefinition d;
        // Names out of order, as a real computer lists them.
        const int key = (i * 7919) % count;
        d.name = std::string(kPrefixes[key % kPrefixes.size()]) + "Service" + std::to_string(key);
        d.displayName = "Benchmark service number " + std::to_string(key) + " of the suite";
        d.startType = kStartTypes[key % kStartTypes.size()];
        d.state =
            (d.startType == kServiceDisabled || key % 3 == 1) ? kServiceStopped : kServiceRunning;
        d.startName = std::string(kAccounts[key % kAccounts.size()]);
        d.binaryPath = "C:\\Windows\\System32\\svchost.exe -k bench" + std::to_string(key % 17);
        (void)computer.AddService(d);
    }
}

std::string BenchWorld::AddComputer(sim::SimNetwork& network, int) {
    return network.AddComputer(kBenchComputer).Name();
}

BenchWorld::BenchWorld(int count) {
    AddBenchServices(network.Computer(kBenchComputer), count);
    form = std::make_unique<frmMain>(host, timed, &work);
    form->Show();
    work.RunAll();
}

BenchWorld::~BenchWorld() {
    form.reset();
}

}  // namespace vtl::bench

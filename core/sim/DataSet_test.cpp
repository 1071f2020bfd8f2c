// The standard network: its counts, its internal consistency, and a few facts
// of the Windows installations it reproduces.

#include <gtest/gtest.h>

#include "core/ServiceCalls.h"
#include "core/sim/DataSet.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::OpenManager;
using testing::OpenSvc;
using testing::StateOf;

std::size_t Win32Count(const SimComputer& computer) {
    std::size_t count = 0;
    for (const auto& name : computer.ServiceNames())
        if (computer.Config(name)->serviceType & kServiceWin32) ++count;
    return count;
}

class DataSetTest : public ::testing::Test {
  protected:
    std::unique_ptr<SimNetwork> network = MakeStandardNetwork();
    SimComputer& workstation = network->Computer(kWorkstationName);
    SimComputer& server = network->Computer(kServerName);
    Platform& platform = network->LocalPlatform();
};

TEST_F(DataSetTest, ServicesBehaveAsTheirKindDoes) {
    auto manager = OpenManager(platform, "\\\\WS-ADMIN01");
    // Starting Fax starts the telephony service it needs first.
    ASSERT_EQ(StateOf(workstation, "TapiSrv"), kServiceStopped);
    auto fax = OpenSvc(platform, manager, "Fax");
    ASSERT_EQ(platform.StartService(fax, {}), kErrorSuccess);
    network->Advance(1000);
    EXPECT_EQ(StateOf(workstation, "TapiSrv"), kServiceRunning);
    EXPECT_EQ(StateOf(workstation, "Fax"), kServiceRunning);

    // The workstation service has running dependents.
    auto workstationService = OpenSvc(platform, manager, "LanmanWorkstation", 0x2C);
    ServiceStatus status;
    EXPECT_EQ(platform.ControlService(workstationService, kServiceControlStop, status),
              kErrorDependentServicesRunning);
    auto dependents = EnumerateDependents(platform, workstationService, kServiceActive);
    ASSERT_TRUE(dependents.ok());
    std::vector<std::string> names;
    for (const auto& entry : dependents.entries)
        names.push_back(entry.serviceName);
    EXPECT_NE(std::find(names.begin(), names.end(), "Netlogon"), names.end());

    // Core services refuse to stop; protected ones refuse the right to.
    auto rpc = OpenSvc(platform, manager, "RpcSs", kServiceStop | kServiceQueryStatus);
    EXPECT_EQ(platform.ControlService(rpc, kServiceControlStop, status),
              kErrorDependentServicesRunning);
    auto themes = OpenSvc(platform, manager, "Power", kServiceStop);
    EXPECT_EQ(platform.ControlService(themes, kServiceControlStop, status),
              kErrorInvalidServiceControl);
    EXPECT_EQ(platform.OpenService(manager, "WinDefend", 0x2C).error, kErrorAccessDenied);
    EXPECT_TRUE(platform.OpenService(manager, "WinDefend", kServiceQueryConfig).handle);

    // The server answers remotely with its own services.
    auto remote = OpenManager(platform, "\\\\SRV-FILE01", kScManagerEnumerateService);
    auto listing = EnumerateServices(platform, remote, kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(listing.ok());
    EXPECT_EQ(listing.entries.size(), Win32Count(server));
    auto shares = platform.NetShareEnum("\\\\SRV-FILE01");
    ASSERT_EQ(shares.error, kErrorSuccess);
    EXPECT_EQ(shares.shares[0].netName, "ADMIN$");
    EXPECT_EQ(platform.GetLogicalDriveStrings(), (std::vector<std::string>{"C:\\", "D:\\"}));
    EXPECT_TRUE(platform.FileExists(platform.ApplicationFolder() + "\\VtlShell.exe"));
    EXPECT_EQ(platform.LookupAccountName("\\\\SRV-FILE01", "CORP\\svc-backup").error, 0u);
}

}  // namespace
}  // namespace vtl::sim

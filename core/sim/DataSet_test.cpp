// The standard network: its counts, its internal consistency, and a few facts
// of the Windows installations it reproduces.

#include <gtest/gtest.h>

#include <set>

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

bool IsActive(std::uint32_t state) {
    return state == kServiceRunning || state == kServicePaused;
}

class DataSetTest : public ::testing::Test {
  protected:
    std::unique_ptr<SimNetwork> network = MakeStandardNetwork();
    SimComputer& workstation = network->Computer(kWorkstationName);
    SimComputer& server = network->Computer(kServerName);
    Platform& platform = network->LocalPlatform();
};

TEST_F(DataSetTest, TheLocalComputerIsTheWorkstationAndTheOldServerDoesNotAnswer) {
    EXPECT_EQ(platform.GetComputerName().name, kWorkstationName);
    EXPECT_EQ(&network->LocalComputer(), &workstation);
    EXPECT_GE(Win32Count(workstation), 200u);
    EXPECT_LE(Win32Count(workstation), 300u);
    EXPECT_GE(Win32Count(server), 150u);
    EXPECT_LE(Win32Count(server), 200u);
    auto [manager, error] =
        platform.OpenSCManager("\\\\" + std::string(kUnreachableName), kScManagerEnumerateService);
    EXPECT_FALSE(manager);
    EXPECT_EQ(error, kRpcServerUnavailable);
    EXPECT_EQ(OpenFailureText(platform, error),
              "The RPC server is unavailable.\r\n\rThis may be due to network problems. Please "
              "verify network connectivity.  1722");
    auto read = platform.RegQueryValueEx(
        platform.RegOpenKeyEx(LocalMachineKey(), "SOFTWARE\\Orvane\\Vantrel", kKeyRead).handle,
        "Version", 260);
    EXPECT_EQ(std::string(read.data.begin(), read.data.end()), std::string("3.1.3\0", 6));
}

TEST_F(DataSetTest, DependenciesNameExistingServicesOrGroupsAndRunningServicesHaveThem) {
    for (SimComputer* computer : {&workstation, &server}) {
        std::set<std::string, CaseLess> groups;
        for (const auto& name : computer->ServiceNames())
            groups.insert(computer->Config(name)->loadOrderGroup);
        for (const auto& name : computer->ServiceNames()) {
            const auto config = computer->Config(name);
            const bool running = IsActive(StateOf(*computer, name));
            for (const auto& dependency : config->dependencies) {
                SCOPED_TRACE(computer->Name() + ": " + name + " -> " + dependency);
                if (dependency.front() == '+') {
                    EXPECT_TRUE(groups.count(dependency.substr(1)));
                    continue;
                }
                ASSERT_TRUE(computer->HasService(dependency));
                if (running) {
                    EXPECT_TRUE(IsActive(StateOf(*computer, dependency)));
                }
            }
        }
    }
}

TEST_F(DataSetTest, DisplayNamesAreUniqueAndAccountsAndTypesAreWindows) {
    for (SimComputer* computer : {&workstation, &server}) {
        std::set<std::string, CaseLess> names;
        for (const auto& name : computer->ServiceNames())
            names.insert(name);
        std::set<std::string, CaseLess> displays;
        for (const auto& name : computer->ServiceNames()) {
            SCOPED_TRACE(computer->Name() + ": " + name);
            const auto config = computer->Config(name);
            EXPECT_TRUE(displays.insert(config->displayName).second);
            if (!IEquals(config->displayName, name)) {
                EXPECT_EQ(names.count(config->displayName), 0u);
            }
            if (config->serviceType & kServiceWin32) {
                EXPECT_TRUE(config->serviceType == kServiceWin32OwnProcess ||
                            config->serviceType == kServiceWin32ShareProcess);
                EXPECT_TRUE(config->serviceStartName == "LocalSystem" ||
                            config->serviceStartName == "NT AUTHORITY\\LocalService" ||
                            config->serviceStartName == "NT AUTHORITY\\NetworkService");
                EXPECT_GE(config->startType, kServiceAutoStart);
                EXPECT_FALSE(config->binaryPathName.empty());
            }
        }
    }
}

TEST_F(DataSetTest, AFullListingReadsEveryWin32ServiceInOrderAndClosesEverything) {
    network->EnableCallLog(false);
    auto manager = OpenManager(platform, "\\\\WS-ADMIN01", kScManagerEnumerateService);
    auto read = EnumerateServices(platform, manager, kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.entries.size(), Win32Count(workstation));
    for (std::size_t i = 1; i < read.entries.size(); ++i)
        EXPECT_LT(ICompare(read.entries[i - 1].serviceName, read.entries[i].serviceName), 0);
    for (const auto& entry : read.entries) {
        auto service = OpenSvc(platform, manager, entry.serviceName, kServiceQueryConfig);
        ASSERT_TRUE(GetServiceConfig(platform, service).ok()) << entry.serviceName;
    }
    manager.reset();
    EXPECT_EQ(network->OpenHandleCount(), 0u);
}

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

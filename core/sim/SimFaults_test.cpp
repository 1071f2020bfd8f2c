// Fault injection, latency and the open-handle count.

#include <gtest/gtest.h>

#include "core/Registry.h"
#include "core/ServiceCalls.h"
#include "core/sim/SimNetwork.h"
#include "core/sim/SimTestSupport.h"

namespace vtl::sim {
namespace {

using testing::OpenManager;
using testing::OpenSvc;
using testing::TestService;

constexpr ErrorCode kInjected = 1117;  // ERROR_IO_DEVICE: no call gives it by itself

// What the representative sequence saw of the opens, by operation.
struct OpenOutcome {
    bool handle = false;
    ErrorCode error = 0;
};

// Calls every operation of the interface once at least, as the program would,
// tolerating any failure; handles are owned by RAII objects throughout.
std::map<std::string, OpenOutcome> RunRepresentativeSequence(Platform& p) {
    std::map<std::string, OpenOutcome> opens;
    auto note = [&](const char* op, bool handle, ErrorCode error) {
        if (opens.count(op) == 0) opens[op] = OpenOutcome{handle, error};
    };
    (void)p.GetComputerName();
    (void)GetErrorText(p, 5);
    {
        auto [library, error] = p.LoadLibrary("Advapi32.dll");
        note("LoadLibrary", static_cast<bool>(library), error);
        if (library) (void)p.HasProcAddress(library, "QueryServiceConfig2A");
    }
    {
        auto [manager, error] = p.OpenSCManager("\\\\PC1", kScManagerAllAccess);
        note("OpenSCManager", static_cast<bool>(manager), error);
        if (manager) {
            (void)EnumerateServices(p, manager, kServiceWin32, kServiceStateAll);
            auto [service, serviceError] = p.OpenService(manager, "Svc", kServiceAllAccess);
            note("OpenService", static_cast<bool>(service), serviceError);
            if (service) {
                (void)GetServiceConfig(p, service);
                (void)p.QueryServiceDescription(service, 0);
                ServiceStatus status;
                (void)p.QueryServiceStatus(service, status);
                (void)p.ChangeServiceConfig(service, {});
                (void)p.ChangeServiceDescription(service, "described");
                (void)p.StartService(service, {});
                (void)p.ControlService(service, kServiceControlStop, status);
                (void)EnumerateDependents(p, service, kServiceStateAll);
            }
            ServiceManagerApi::CreateArgs args;
            args.serviceName = "Made";
            args.binaryPathName = "C:\\made.exe";
            auto created = p.CreateService(manager, args);
            note("CreateService", static_cast<bool>(created.handle), created.error);
            if (created.handle) (void)p.DeleteService(created.handle);
        }
    }
    {
        auto [root, error] = p.RegConnectRegistry("\\\\PC1", kHKeyLocalMachine);
        note("RegConnectRegistry", static_cast<bool>(root), error);
        if (root) {
            auto [key, createError] = p.RegCreateKeyEx(root, "SOFTWARE\\Fault\\Sub", kKeyAllAccess);
            note("RegCreateKeyEx", static_cast<bool>(key), createError);
            if (key) {
                (void)p.RegSetValueEx(key, "V", kRegSz, {'x', 0});
                (void)p.RegQueryValueEx(key, "V", 1024);
                (void)p.RegDeleteValue(key, "V");
            }
            auto [opened, openError] = p.RegOpenKeyEx(root, "SOFTWARE\\Fault", kKeyRead);
            note("RegOpenKeyEx", static_cast<bool>(opened), openError);
            (void)p.RegDeleteTree(root, "SOFTWARE\\Fault");
        }
    }
    (void)p.LookupAccountName("", "NT AUTHORITY\\LocalService");
    (void)p.GetLogicalDriveStrings();
    (void)p.GetDriveType("C:\\");
    (void)p.NetShareEnum("\\\\PC2");
    (void)p.CopyFile("C:\\app\\VtlShell.exe", "\\\\PC2\\C$\\VtlShell.exe", true);
    (void)p.WriteFile("C:\\out.txt", "text");
    (void)p.FileExists("C:\\out.txt");
    (void)p.CreateDirectory("C:\\Export");
    (void)p.EncodeText("Svc_Inst.bat", CodePage::Ansi);
    {
        auto [thread, error] = p.VTLStartService("Svc", "\\\\PC1", std::nullopt);
        note("VTLStartService", static_cast<bool>(thread), error);
        if (thread) (void)p.GetExitCodeThread(thread);
    }
    (void)p.fnLogRight("PC1", {1, 1, 0, 0, 0, 0, 0, 5, 19, 0, 0, 0});
    p.Sleep(10);
    (void)p.TickCount();
    return opens;
}

void Populate(testing::TwoComputers& env) {
    ASSERT_EQ(env.pc1.AddService(TestService("Svc", "--start-ms 50")), 0u);
    ASSERT_EQ(env.pc1.AddService(TestService("Dependent", {}, kServiceDemandStart, {"Svc"})), 0u);
    env.pc1.AddDrive('C', kDriveFixed);
    env.pc2.AddDrive('C', kDriveFixed);
    env.pc2.AddAdministrativeShares();
    env.pc1.PutFile("C:\\app\\VtlShell.exe", "MZ");
}

TEST(SimFaultsTest, EveryOperationCanFailWithoutLeakingHandles) {
    {
        // Without faults every operation runs and succeeds at least once.
        testing::TwoComputers env;
        Populate(env);
        RunRepresentativeSequence(env.platform);
        for (std::string_view op : SimNetwork::FaultableOperations())
            EXPECT_GE(env.network.CountCalls(op), 1u) << op << " is not exercised";
        env.network.Advance(kStartThreadBoundMs);
        EXPECT_EQ(env.network.OpenHandleCount(), 0u);
    }
    for (std::string_view op : SimNetwork::FaultableOperations()) {
        SCOPED_TRACE(std::string(op));
        testing::TwoComputers env;
        Populate(env);
        env.network.FailCall(op, 1, kInjected);
        const auto opens = RunRepresentativeSequence(env.platform);
        const auto& log = env.network.CallLog();
        auto first = std::find_if(log.begin(), log.end(),
                                  [&](const CallRecord& r) { return r.operation == op; });
        ASSERT_NE(first, log.end());
        EXPECT_EQ(first->error, kInjected);
        // Only the first call fails.
        const auto failures = std::count_if(
            log.begin(), log.end(), [&](const CallRecord& r) { return r.error == kInjected; });
        EXPECT_EQ(failures, 1);
        if (auto it = opens.find(std::string(op)); it != opens.end()) {
            EXPECT_FALSE(it->second.handle);
            EXPECT_EQ(it->second.error, kInjected);
        }
        env.network.Advance(kStartThreadBoundMs);
        EXPECT_EQ(env.network.OpenHandleCount(), 0u);
        EXPECT_EQ(env.network.RunningStartThreads(), 0u);
    }
}

TEST(SimFaultsTest, FaultsCountMatchingCallsFromTheInjection) {
    testing::TwoComputers env;
    Populate(env);
    ASSERT_EQ(env.pc1.AddService(TestService("Other")), 0u);
    auto manager = OpenManager(env.platform);
    auto svc = OpenSvc(env.platform, manager, "Svc", kServiceQueryStatus);
    ServiceStatus status;
    EXPECT_EQ(env.platform.QueryServiceStatus(svc, status), kErrorSuccess);  // before: not counted
    env.network.FailCall("QueryServiceStatus", 3, kErrorAccessDenied);
    EXPECT_EQ(env.platform.QueryServiceStatus(svc, status), kErrorSuccess);
    EXPECT_EQ(env.platform.QueryServiceStatus(svc, status), kErrorSuccess);
    EXPECT_EQ(env.platform.QueryServiceStatus(svc, status), kErrorAccessDenied);
    EXPECT_EQ(env.platform.QueryServiceStatus(svc, status), kErrorSuccess);

    // Only calls about the target count and fail.
    env.network.FailAlways("OpenService", kErrorAccessDenied, "other");
    EXPECT_TRUE(OpenSvc(env.platform, manager, "Svc", kServiceQueryStatus));
    for (int i = 0; i < 3; ++i) {
        auto [handle, error] = env.platform.OpenService(manager, "Other", kServiceQueryStatus);
        EXPECT_FALSE(handle);
        EXPECT_EQ(error, kErrorAccessDenied);
    }
    env.network.FailAlways("OpenSCManager", kRpcServerUnavailable, "\\\\PC2");
    EXPECT_FALSE(env.platform.OpenSCManager("PC2", kScManagerConnect).handle);
    EXPECT_TRUE(env.platform.OpenSCManager("PC1", kScManagerConnect).handle);
    env.network.ClearFaults();
    EXPECT_TRUE(OpenSvc(env.platform, manager, "Other", kServiceQueryStatus));
    EXPECT_TRUE(env.platform.OpenSCManager("PC2", kScManagerConnect).handle);
}

TEST(SimFaultsTest, LatencyMovesTheClockPerCall) {
    testing::TwoComputers env;
    Populate(env);
    env.network.SetLatency("OpenSCManager", 40);
    env.network.SetLatency("*", 3, "PC2");
    {
        auto local = OpenManager(env.platform, "PC1", kScManagerConnect);
        EXPECT_EQ(env.network.Now(), 40u);
        auto remote = OpenManager(env.platform, "\\\\PC2", kScManagerConnect);
        EXPECT_EQ(env.network.Now(), 83u);
        auto service = OpenSvc(env.platform, local, "Svc", kServiceQueryStatus);
        EXPECT_EQ(env.network.Now(), 83u);
    }  // closing the remote manager costs 3 ms too
    EXPECT_EQ(env.network.Now(), 86u);
    // The state machines run through the latency.
    auto manager = OpenManager(env.platform, "PC1", kScManagerAllAccess);
    auto svc = OpenSvc(env.platform, manager, "Svc");
    ASSERT_EQ(env.platform.StartService(svc, {}), kErrorSuccess);
    env.network.SetLatency("QueryServiceStatus", 60);
    ServiceStatus status;
    ASSERT_EQ(env.platform.QueryServiceStatus(svc, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceRunning);
    env.network.ClearLatency();
    const auto now = env.network.Now();
    ASSERT_EQ(env.platform.QueryServiceStatus(svc, status), kErrorSuccess);
    EXPECT_EQ(env.network.Now(), now);
}

TEST(SimFaultsTest, OpenHandlesAreCountedByKind) {
    testing::TwoComputers env;
    Populate(env);
    auto manager = OpenManager(env.platform);
    auto svc = OpenSvc(env.platform, manager, "Svc", kServiceQueryStatus);
    auto key = env.platform.RegOpenKeyEx(LocalMachineKey(), "SYSTEM", kKeyRead).handle;
    auto library = env.platform.LoadLibrary("kernel32").handle;
    EXPECT_EQ(env.network.OpenHandleCount(), 4u);
    for (const HandleKind kind : {HandleKind::ServiceManager, HandleKind::Service,
                                  HandleKind::RegistryKey, HandleKind::Library})
        EXPECT_EQ(env.network.OpenHandleCount(kind), 1u) << static_cast<int>(kind);
    EXPECT_EQ(env.pc1.OpenHandleCount("Svc"), 1);
    // Values are unique and increase.
    EXPECT_TRUE(manager.get() < svc.get() && svc.get() < key.get() && key.get() < library.get());
    // A handle of one kind is no handle of another.
    ServiceStatus status;
    ServiceHandle wrongKind(&env.platform, manager.get());
    EXPECT_EQ(env.platform.QueryServiceStatus(wrongKind, status), kErrorInvalidHandle);
    (void)wrongKind.release();
    svc.reset();
    manager.reset();
    key.reset();
    library.reset();
    EXPECT_EQ(env.network.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace vtl::sim

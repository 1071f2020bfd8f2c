// The Win32 backend's service-manager calls against a real service control
// manager (Wine's in the windows preset), driving the project's test service
// VtlTestSvc.exe from the test program's folder. Every service a test creates
// is removed by a guard, also when the test fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "core/testing/PlatformChecks.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/Win32TestSupport.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace vtl::win32 {
namespace {

using vtl::testing::CreateTestService;
using vtl::testing::ServiceGuard;
using vtl::testing::StartAndWait;
using vtl::testing::TestServiceCommand;
using vtl::testing::WaitForState;
using vtl::win32::testing::IsWine;
using vtl::win32::testing::TerminateServiceProcess;
using vtl::win32::testing::UniqueName;

constexpr std::uint32_t kWaitMs = 15000;

std::string ReadWholeFile(const std::string& path) {
    UniqueKernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string content;
    char chunk[512];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
        content.append(chunk, read);
    return content;
}

class Win32Services : public ::testing::Test {
  protected:
    void SetUp() override {
        auto opened = platform_.OpenSCManager("", kScManagerAllAccess);
        ASSERT_TRUE(opened.handle) << "error " << opened.error;
        manager_ = std::move(opened.handle);
        folder_ = platform_.ApplicationFolder();
        ASSERT_TRUE(platform_.FileExists(folder_ + "\\VtlTestSvc.exe"));
    }

    // A guard for a service of this test; created before the service, so that
    // nothing stays behind whatever the test does.
    std::unique_ptr<ServiceGuard> Guard(const std::string& name) {
        return std::make_unique<ServiceGuard>(platform_, "", name, TerminateServiceProcess);
    }

    // Creates a demand-start test service with the options.
    ServiceHandle Create(const std::string& name, const std::string& options) {
        auto created =
            CreateTestService(platform_, manager_, name, TestServiceCommand(folder_, options));
        EXPECT_EQ(created.error, kErrorSuccess);
        return std::move(created.handle);
    }

    Win32Platform platform_;
    ScManagerHandle manager_;
    std::string folder_;
};

// --- Enumeration ------------------------------------------------------------

TEST_F(Win32Services, EnumerationAgreesWithTheWideCallAndTheRegistry) {
    static_assert(sizeof(void*) != 8 || sizeof(ENUM_SERVICE_STATUSW) == 48);
    EXPECT_EQ(platform_.EnumRecordSize(), sizeof(ENUM_SERVICE_STATUSW));

    // The first call asks for room, as the listing expects.
    const auto first = platform_.EnumServicesStatus(manager_, kServiceWin32, kServiceStateAll, 0);
    EXPECT_EQ(first.error, kErrorMoreData);
    EXPECT_GT(first.bytesNeeded, 0u);

    const auto read = EnumerateServices(platform_, manager_, kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(read.ok()) << read.firstError << " " << read.error;
    ASSERT_FALSE(read.entries.empty());

    // Second reading: EnumServicesStatusExW directly.
    const UniqueScHandle direct(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    ASSERT_TRUE(direct);
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    EnumServicesStatusExW(direct.get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL,
                          nullptr, 0, &needed, &count, &resume, nullptr);
    std::vector<std::uint64_t> buffer(needed / 8 + 1);
    resume = 0;
    ASSERT_TRUE(EnumServicesStatusExW(direct.get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32,
                                      SERVICE_STATE_ALL, reinterpret_cast<BYTE*>(buffer.data()),
                                      static_cast<DWORD>(buffer.size() * 8), &needed, &count,
                                      &resume, nullptr));
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
    std::map<std::string, const ENUM_SERVICE_STATUS_PROCESSW*> byName;
    for (DWORD i = 0; i < count; ++i)
        byName[Narrow(records[i].lpServiceName)] = &records[i];

    // Names are unique; the Services key has each one with a matching Type.
    std::set<std::string> seen;
    for (const auto& entry : read.entries) {
        SCOPED_TRACE(entry.serviceName);
        EXPECT_TRUE(seen.insert(entry.serviceName).second);
        const auto found = byName.find(entry.serviceName);
        ASSERT_NE(found, byName.end());
        EXPECT_EQ(entry.displayName, Narrow(found->second->lpDisplayName));
        EXPECT_EQ(entry.status.serviceType, found->second->ServiceStatusProcess.dwServiceType);
        EXPECT_NE(entry.status.serviceType & kServiceWin32, 0u);
        EXPECT_GE(entry.status.currentState, kServiceStopped);
        EXPECT_LE(entry.status.currentState, kServicePaused);

        // Every listed service's configuration can be read.
        auto [service, openError] =
            platform_.OpenService(manager_, entry.serviceName, kServiceQueryConfig);
        ASSERT_TRUE(service) << "error " << openError;
        const auto config = GetServiceConfig(platform_, service);
        EXPECT_EQ(config.sizingError, kErrorInsufficientBuffer);
        EXPECT_TRUE(config.ok());

        auto [key, keyError] =
            platform_.RegOpenKeyEx(LocalMachineKey(), ServiceKeyPath(entry.serviceName), kKeyRead);
        if (!key && IsWine() && entry.serviceName.rfind("Winedevice", 0) == 0) {
            // Wine registers its device hosts with the service manager alone,
            // without a key in the registry.
            EXPECT_EQ(keyError, kErrorFileNotFound);
            continue;
        }
        ASSERT_TRUE(key) << "error " << keyError;
        const auto type = platform_.RegQueryValueEx(key, "Type", 4);
        ASSERT_EQ(type.error, kErrorSuccess);
        ASSERT_EQ(type.type, kRegDword);
        const std::uint32_t value = type.data[0] | (type.data[1] << 8) | (type.data[2] << 16) |
                                    (static_cast<std::uint32_t>(type.data[3]) << 24);
        EXPECT_EQ(value & kServiceWin32, entry.status.serviceType & kServiceWin32);
    }
    EXPECT_EQ(read.entries.size(), byName.size());
}

TEST_F(Win32Services, PartialEnumerationBufferAsksForMore) {
    const auto sizing = platform_.EnumServicesStatus(manager_, kServiceWin32, kServiceStateAll, 0);
    ASSERT_EQ(sizing.error, kErrorMoreData);
    // One record's room is not enough for all of them.
    const auto partial = platform_.EnumServicesStatus(manager_, kServiceWin32, kServiceStateAll,
                                                      platform_.EnumRecordSize());
    EXPECT_EQ(partial.error, kErrorMoreData);
    EXPECT_GT(partial.bytesNeeded, 0u);
    EXPECT_LE(partial.entries.size(), 1u);
}

// --- Creation, configuration, deletion -------------------------------------

TEST_F(Win32Services, ConfigurationReadsBackEveryField) {
    const std::string name = UniqueName("VtlW32Cfg");
    const auto guard = Guard(name);
    const std::string display =
        "Vantrel Test \xCE\xA9mega \xE2\x80\x93 \xC3\x9Cnic\xC3\xB6"
        "de";
    const std::string command = TestServiceCommand(folder_, "--start-ms 10 --pause");
    ServiceManagerApi::CreateArgs args;
    args.serviceName = name;
    args.displayName = display;
    args.startType = kServiceDemandStart;
    args.errorControl = kServiceErrorNormal;
    args.binaryPathName = command;
    auto created = platform_.CreateService(manager_, args);
    ASSERT_EQ(created.error, kErrorSuccess);
    ASSERT_TRUE(created.handle);

    // A second service of that name is refused.
    auto again = platform_.CreateService(manager_, args);
    EXPECT_FALSE(again.handle);
    EXPECT_EQ(again.error, kErrorServiceExists);

    const auto read = GetServiceConfig(platform_, created.handle);
    ASSERT_TRUE(read.ok()) << read.error;
    const ServiceConfig& config = *read.config;
    EXPECT_EQ(config.serviceType, kServiceWin32OwnProcess);
    EXPECT_EQ(config.startType, kServiceDemandStart);
    EXPECT_EQ(config.errorControl, kServiceErrorNormal);
    EXPECT_EQ(config.binaryPathName, command);
    EXPECT_EQ(config.loadOrderGroup, "");
    EXPECT_EQ(config.tagId, 0u);
    EXPECT_TRUE(config.dependencies.empty());
    EXPECT_EQ(config.serviceStartName, "LocalSystem");
    EXPECT_EQ(config.displayName, display);

    // The sizing call reports the room the wide record needs.
    const auto sizing = platform_.QueryServiceConfig(created.handle, 0);
    EXPECT_EQ(sizing.error, kErrorInsufficientBuffer);
    EXPECT_GE(sizing.bytesNeeded, sizeof(QUERY_SERVICE_CONFIGW) + 2 * command.size());
    EXPECT_EQ(platform_.QueryServiceConfig(created.handle, sizing.bytesNeeded - 1).error,
              kErrorInsufficientBuffer);
    EXPECT_EQ(platform_.QueryServiceConfig(created.handle, sizing.bytesNeeded).error,
              kErrorSuccess);

    // Description: none yet, then a non-ASCII one, then deleted with "".
    const auto none = platform_.QueryServiceDescription(created.handle, 1024);
    EXPECT_EQ(none.error, kErrorSuccess);
    EXPECT_EQ(none.description, "");
    const std::string description =
        "Beschreibung \xE2\x80\x93 \xD0\xBE\xD0\xBF\xD0\xB8\xD1\x81 \xE2\x9C\x93";
    ASSERT_EQ(platform_.ChangeServiceDescription(created.handle, description), kErrorSuccess);
    const auto size = platform_.QueryServiceDescription(created.handle, 0);
    ASSERT_EQ(size.error, kErrorInsufficientBuffer);
    const auto text = platform_.QueryServiceDescription(created.handle, size.bytesNeeded);
    EXPECT_EQ(text.error, kErrorSuccess);
    EXPECT_EQ(text.description, description);
    ASSERT_EQ(platform_.ChangeServiceDescription(created.handle, ""), kErrorSuccess);
    EXPECT_EQ(platform_.QueryServiceDescription(created.handle, 1024).description, "");

    // Every no-change value changes nothing.
    ASSERT_EQ(platform_.ChangeServiceConfig(created.handle, {}), kErrorSuccess);
    EXPECT_EQ(GetServiceConfig(platform_, created.handle).config, config);

    // Start type, display name, path and error control change alone.
    ServiceManagerApi::ConfigChange change;
    change.startType = kServiceDisabled;
    change.displayName = display + " 2";
    change.binaryPathName = command + " --stop-ms 5";
    change.errorControl = kServiceErrorIgnore;
    ASSERT_EQ(platform_.ChangeServiceConfig(created.handle, change), kErrorSuccess);
    const auto changed = GetServiceConfig(platform_, created.handle);
    ASSERT_TRUE(changed.ok());
    EXPECT_EQ(changed.config->startType, kServiceDisabled);
    EXPECT_EQ(changed.config->displayName, display + " 2");
    EXPECT_EQ(changed.config->binaryPathName, command + " --stop-ms 5");
    EXPECT_EQ(changed.config->errorControl, kServiceErrorIgnore);
    EXPECT_EQ(changed.config->serviceType, kServiceWin32OwnProcess);
    EXPECT_EQ(changed.config->serviceStartName, "LocalSystem");

    // A disabled service does not start.
    EXPECT_EQ(platform_.StartService(created.handle, {}), kErrorServiceDisabled);

    // A start type outside the table is refused.
    ServiceManagerApi::ConfigChange bad;
    bad.startType = 9;
    EXPECT_EQ(platform_.ChangeServiceConfig(created.handle, bad), kErrorInvalidParameter);

    // The service is listed with its display name.
    const auto list = EnumerateServices(platform_, manager_, kServiceWin32, kServiceStateAll);
    ASSERT_TRUE(list.ok());
    const auto listed = std::find_if(list.entries.begin(), list.entries.end(),
                                     [&](const auto& e) { return e.serviceName == name; });
    ASSERT_NE(listed, list.entries.end());
    EXPECT_EQ(listed->displayName, display + " 2");
    EXPECT_EQ(listed->status.currentState, kServiceStopped);
}

TEST_F(Win32Services, CreatedAsTheWizardCreatesIt) {
    // Interactive own process, errors ignored, load order group "0", a tag asked
    // for, the system account, an automatic start.
    const std::string name = UniqueName("VtlW32Wiz");
    const auto guard = Guard(name);
    ServiceManagerApi::CreateArgs args;
    args.serviceName = name;
    args.displayName = "";
    args.serviceType = kServiceWin32OwnProcess | kServiceInteractiveProcess;
    args.startType = kServiceAutoStart;
    args.errorControl = kServiceErrorIgnore;
    args.binaryPathName = TestServiceCommand(folder_, "");
    args.loadOrderGroup = "0";
    args.wantTagId = true;
    auto created = platform_.CreateService(manager_, args);
    ASSERT_TRUE(created.handle) << created.error;
    EXPECT_EQ(created.error, kErrorSuccess);
    const auto read = GetServiceConfig(platform_, created.handle);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.config->serviceType, kServiceWin32OwnProcess | kServiceInteractiveProcess);
    EXPECT_EQ(read.config->startType, kServiceAutoStart);
    EXPECT_EQ(read.config->errorControl, kServiceErrorIgnore);
    EXPECT_EQ(read.config->loadOrderGroup, "0");
    EXPECT_EQ(read.config->tagId, created.tagId);
    // An empty display name: Windows shows the service name in its place.
    EXPECT_TRUE(read.config->displayName.empty() || read.config->displayName == name)
        << read.config->displayName;
}

TEST_F(Win32Services, DependenciesAsTheServiceManagerKeepsThem) {
    const std::string name = UniqueName("VtlW32Dep");
    const auto guard = Guard(name);
    ServiceManagerApi::CreateArgs args;
    args.serviceName = name;
    args.displayName = name;
    args.binaryPathName = TestServiceCommand(folder_, "");
    args.dependencies = std::vector<std::string>{"RpcSs", "PlugPlay"};
    auto created = platform_.CreateService(manager_, args);
    ASSERT_TRUE(created.handle) << created.error;
    const auto read = GetServiceConfig(platform_, created.handle);
    ASSERT_TRUE(read.ok());
    // The service's key keeps them as a double-zero-terminated list.
    {
        auto [key, keyError] =
            platform_.RegOpenKeyEx(LocalMachineKey(), ServiceKeyPath(name), kKeyRead);
        ASSERT_TRUE(key) << keyError;
        const auto stored = platform_.RegQueryValueEx(key, "DependOnService", 1024);
        ASSERT_EQ(stored.error, kErrorSuccess);
        EXPECT_EQ(stored.type, kRegMultiSz);
        EXPECT_EQ(stored.data, vtl::testing::Bytes(std::string_view("RpcSs\0PlugPlay\0\0", 16)));
    }
    if (IsWine()) {
        // Wine 8 stores the list in the registry but its configuration query
        // reports none.
        EXPECT_TRUE(read.config->dependencies.empty());
    } else {
        EXPECT_EQ(read.config->dependencies, (std::vector<std::string>{"RpcSs", "PlugPlay"}));
    }

    // An empty list removes them all.
    ServiceManagerApi::ConfigChange change;
    change.dependencies = std::vector<std::string>{};
    ASSERT_EQ(platform_.ChangeServiceConfig(created.handle, change), kErrorSuccess);
    const auto cleared = GetServiceConfig(platform_, created.handle);
    ASSERT_TRUE(cleared.ok());
    EXPECT_TRUE(cleared.config->dependencies.empty());

    // Wine lists no dependents: the first call succeeds with no entries.
    auto [rpc, rpcError] = platform_.OpenService(manager_, "RpcSs", kServiceEnumerateDependents);
    ASSERT_TRUE(rpc) << rpcError;
    const auto dependents = EnumerateDependents(platform_, rpc, kServiceStateAll);
    if (IsWine()) {
        EXPECT_EQ(dependents.firstError, kErrorSuccess);
        EXPECT_TRUE(dependents.entries.empty());
    }
}

TEST_F(Win32Services, DeletionIsMarkedWhileAHandleIsOpen) {
    const std::string name = UniqueName("VtlW32Del");
    const auto guard = Guard(name);
    {
        ServiceHandle service = Create(name, "");
        ASSERT_TRUE(service);
        auto [second, secondError] = platform_.OpenService(manager_, name, kServiceQueryStatus);
        ASSERT_TRUE(second);
        EXPECT_EQ(platform_.DeleteService(service), kErrorSuccess);
        EXPECT_EQ(platform_.DeleteService(service), kErrorServiceMarkedForDelete);
        // Handles opened before the delete still work.
        ServiceStatus status;
        EXPECT_EQ(platform_.QueryServiceStatus(second, status), kErrorSuccess);
        EXPECT_EQ(status.currentState, kServiceStopped);
    }
    // Once the last handle is closed the service is gone.
    auto [gone, goneError] = platform_.OpenService(manager_, name, kServiceQueryStatus);
    EXPECT_FALSE(gone);
    EXPECT_EQ(goneError, kErrorServiceDoesNotExist);
    EXPECT_EQ(platform_.OpenService(manager_, "NoSuchServiceVtl", kServiceQueryStatus).error,
              kErrorServiceDoesNotExist);
}

TEST_F(Win32Services, ClosingAHandleKeepsTheLastError) {
    auto [service, error] = platform_.OpenService(manager_, "RpcSs", kServiceQueryStatus);
    ASSERT_TRUE(service) << error;
    SetLastError(2468);
    service.reset();
    EXPECT_EQ(GetLastError(), 2468u);
}

// --- Running the test service -------------------------------------------------

TEST_F(Win32Services, StartPauseContinueStop) {
    const std::string name = UniqueName("VtlW32Run");
    const auto guard = Guard(name);
    const std::string marker = folder_ + "\\" + name + ".marker";
    DeleteFileW(Widen(marker).c_str());
    ServiceHandle service =
        Create(name, "--start-ms 1500 --stop-ms 600 --pause --marker \"" + marker + "\"");
    ASSERT_TRUE(service);

    ASSERT_EQ(platform_.StartService(service, {}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_EQ(platform_.QueryServiceStatus(service, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStartPending);
    EXPECT_EQ(status.serviceType, kServiceWin32OwnProcess);
    EXPECT_GT(status.waitHint, 0u);
    EXPECT_EQ(status.controlsAccepted, 0u);
    EXPECT_EQ(platform_.StartService(service, {}), kErrorServiceAlreadyRunning);

    // Progress while pending: the check point moves.
    const std::uint32_t firstCheckPoint = status.checkPoint;
    platform_.Sleep(600);
    ASSERT_EQ(platform_.QueryServiceStatus(service, status), kErrorSuccess);
    if (status.currentState == kServiceStartPending) {
        EXPECT_GT(status.checkPoint, firstCheckPoint);
    }

    ASSERT_TRUE(WaitForState(platform_, service, {kServiceRunning}, kWaitMs, status));
    EXPECT_EQ(status.controlsAccepted, kServiceAcceptStop | kServiceAcceptPauseContinue);
    EXPECT_EQ(status.checkPoint, 0u);
    EXPECT_TRUE(WaitForState(platform_, service, {kServiceRunning}, kWaitMs, status));
    const std::uint64_t end = platform_.TickCount() + 5000;
    while (!platform_.FileExists(marker) && platform_.TickCount() < end)
        platform_.Sleep(20);
    EXPECT_TRUE(platform_.FileExists(marker));
    DeleteFileW(Widen(marker).c_str());

    ASSERT_EQ(platform_.ControlService(service, kServiceControlPause, status), kErrorSuccess);
    EXPECT_TRUE(status.currentState == kServicePausePending ||
                status.currentState == kServicePaused)
        << status.currentState;
    ASSERT_TRUE(WaitForState(platform_, service, {kServicePaused}, kWaitMs, status));
    ASSERT_EQ(platform_.ControlService(service, kServiceControlContinue, status), kErrorSuccess);
    ASSERT_TRUE(WaitForState(platform_, service, {kServiceRunning}, kWaitMs, status));

    ASSERT_EQ(platform_.ControlService(service, kServiceControlStop, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStopPending);
    ASSERT_TRUE(WaitForState(platform_, service, {kServiceStopped}, kWaitMs, status));
    EXPECT_EQ(status.win32ExitCode, kErrorSuccess);
    EXPECT_EQ(platform_.ControlService(service, kServiceControlStop, status),
              kErrorServiceNotActive);

    // Delete: marked while our handle is open, gone after.
    EXPECT_EQ(platform_.DeleteService(service), kErrorSuccess);
    EXPECT_EQ(platform_.DeleteService(service), kErrorServiceMarkedForDelete);
    service.reset();
    EXPECT_EQ(platform_.OpenService(manager_, name, kServiceQueryStatus).error,
              kErrorServiceDoesNotExist);
}

TEST_F(Win32Services, StartArgumentsReachTheService) {
    // The test service writes the arguments of its start into its marker file.
    const std::string name = UniqueName("VtlW32Arg");
    const auto guard = Guard(name);
    const std::string marker = folder_ + "\\" + name + ".marker";
    DeleteFileW(Widen(marker).c_str());
    ServiceHandle service = Create(name, "--marker \"" + marker + "\"");
    ASSERT_TRUE(service);
    ASSERT_EQ(platform_.StartService(service, {"-x", "\xC3\xA9t\xC3\xA9 \xCE\xA9"}), kErrorSuccess);
    ServiceStatus status;
    ASSERT_TRUE(WaitForState(platform_, service, {kServiceRunning}, kWaitMs, status));
    std::string content;
    const std::uint64_t end = platform_.TickCount() + 5000;
    while (platform_.TickCount() < end) {
        content = ReadWholeFile(marker);
        if (content.size() >= 9 && content.back() == '\n' &&
            content.find("\xCE\xA9") != std::string::npos)
            break;
        platform_.Sleep(20);
    }
    EXPECT_EQ(content, "RUNNING\r\n-x\r\n\xC3\xA9t\xC3\xA9 \xCE\xA9\r\n");
    DeleteFileW(Widen(marker).c_str());
}

TEST_F(Win32Services, FailingStartReportsTheServiceSpecificCode) {
    const std::string name = UniqueName("VtlW32Spec");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--start-ms 100 --fail-start --specific 42");
    ASSERT_TRUE(service);
    ServiceStatus status;
    ASSERT_NO_FATAL_FAILURE(StartAndWait(platform_, service, {kServiceStopped}, status));
    EXPECT_EQ(status.win32ExitCode, kErrorServiceSpecificError);
    EXPECT_EQ(status.serviceSpecificExitCode, 42u);
}

TEST_F(Win32Services, FailingStartReportsItsWin32Code) {
    const std::string name = UniqueName("VtlW32Fail");
    const auto guard = Guard(name);
    // Pending a moment first: Wine's StartService answers 1053 when it finds
    // the service already stopped (TestServiceOptions.h).
    ServiceHandle service = Create(name, "--start-ms 100 --fail-start --exit-code 1064");
    ASSERT_TRUE(service);
    ServiceStatus status;
    ASSERT_NO_FATAL_FAILURE(StartAndWait(platform_, service, {kServiceStopped}, status));
    EXPECT_EQ(status.win32ExitCode, 1064u);
}

TEST_F(Win32Services, ServiceThatStopsByItself) {
    const std::string name = UniqueName("VtlW32Self");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--run-ms 400 --specific 5");
    ASSERT_TRUE(service);
    ServiceStatus status;
    ASSERT_NO_FATAL_FAILURE(StartAndWait(platform_, service, {kServiceRunning}, status));
    ASSERT_TRUE(WaitForState(platform_, service, {kServiceStopped}, kWaitMs, status));
    EXPECT_EQ(status.win32ExitCode, kErrorServiceSpecificError);
    EXPECT_EQ(status.serviceSpecificExitCode, 5u);
    // It can be started again.
    ASSERT_NO_FATAL_FAILURE(StartAndWait(platform_, service, {kServiceRunning}, status));
}

TEST_F(Win32Services, RefusedControls) {
    const std::string name = UniqueName("VtlW32Ref");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--no-stop");
    ASSERT_TRUE(service);
    ServiceStatus status;
    ASSERT_NO_FATAL_FAILURE(StartAndWait(platform_, service, {kServiceRunning}, status));
    EXPECT_EQ(status.controlsAccepted, 0u);
    // Wine fills the status record with garbage here; only the code is compared.
    EXPECT_EQ(platform_.ControlService(service, kServiceControlStop, status),
              kErrorInvalidServiceControl);
    EXPECT_EQ(platform_.ControlService(service, kServiceControlPause, status),
              kErrorInvalidServiceControl);
    EXPECT_TRUE(WaitForState(platform_, service, {kServiceRunning}, kWaitMs, status));
    // The guard ends the process; the service then counts as stopped.
    EXPECT_TRUE(guard->Remove());
}

TEST_F(Win32Services, HangingStartNeverLeavesStartPending) {
    const std::string name = UniqueName("VtlW32Hang");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--hang-start");
    ASSERT_TRUE(service);
    ASSERT_EQ(platform_.StartService(service, {}), kErrorSuccess);
    ServiceStatus first;
    ASSERT_EQ(platform_.QueryServiceStatus(service, first), kErrorSuccess);
    EXPECT_EQ(first.currentState, kServiceStartPending);
    platform_.Sleep(800);
    ServiceStatus later;
    ASSERT_EQ(platform_.QueryServiceStatus(service, later), kErrorSuccess);
    EXPECT_EQ(later.currentState, kServiceStartPending);
    EXPECT_GT(later.checkPoint, first.checkPoint);
    EXPECT_TRUE(guard->Remove());
}

TEST_F(Win32Services, HangingStopNeverLeavesStopPending) {
    const std::string name = UniqueName("VtlW32HangStop");
    const auto guard = Guard(name);
    ServiceHandle service = Create(name, "--hang-stop");
    ASSERT_TRUE(service);
    ServiceStatus status;
    ASSERT_NO_FATAL_FAILURE(StartAndWait(platform_, service, {kServiceRunning}, status));
    ASSERT_EQ(platform_.ControlService(service, kServiceControlStop, status), kErrorSuccess);
    platform_.Sleep(600);
    ASSERT_EQ(platform_.QueryServiceStatus(service, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStopPending);
    EXPECT_TRUE(guard->Remove());
}

TEST_F(Win32Services, GuardRemovesWhatATestLeavesRunning) {
    const std::string name = UniqueName("VtlW32Guard");
    {
        const auto guard = Guard(name);
        ServiceHandle service = Create(name, "--stop-ms 200");
        ASSERT_TRUE(service);
        ServiceStatus status;
        ASSERT_NO_FATAL_FAILURE(StartAndWait(platform_, service, {kServiceRunning}, status));
    }  // the test's handle closes first, then the guard stops and deletes
    ServiceStatus status;
    bool gone = false;
    const std::uint64_t end = platform_.TickCount() + 5000;
    while (!gone && platform_.TickCount() < end) {
        gone = platform_.OpenService(manager_, name, kServiceQueryStatus).error ==
               kErrorServiceDoesNotExist;
        if (!gone) platform_.Sleep(50);
    }
    EXPECT_TRUE(gone);
}

}  // namespace
}  // namespace vtl::win32

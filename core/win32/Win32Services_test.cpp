// The Win32 backend's service-manager calls against a real service control
// manager (Wine's in the windows preset) where they go beyond the contract
// suite: the listing against the wide call and the registry, and hung test
// services. Every service a test creates is removed by a guard, also when the
// test fails.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "core/ServiceCalls.h"
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
using vtl::win32::testing::IsWine;
using vtl::win32::testing::TerminateServiceProcess;
using vtl::win32::testing::UniqueName;

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

TEST_F(Win32Services, EnumerationAgreesWithTheWideCallAndTheRegistry) {
    static_assert(sizeof(void*) != 8 || sizeof(ENUM_SERVICE_STATUSW) == 48);
    EXPECT_EQ(platform_.EnumRecordSize(), sizeof(ENUM_SERVICE_STATUSW));

    // The first call asks for room, as the listing expects.
    const auto first = platform_.EnumServicesStatus(manager_, kServiceWin32, kServiceStateAll, 0);
    EXPECT_EQ(first.error, kErrorMoreData);
    EXPECT_GT(first.bytesNeeded, 0u);

    // One record's room is not enough for all of them.
    const auto partial = platform_.EnumServicesStatus(manager_, kServiceWin32, kServiceStateAll,
                                                      platform_.EnumRecordSize());
    EXPECT_EQ(partial.error, kErrorMoreData);
    EXPECT_LE(partial.entries.size(), 1u);

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

TEST_F(Win32Services, HungStartsAndStopsStayPendingAndTheStartShowsProgress) {
    const std::string starting = UniqueName("VtlW32Hang");
    const std::string stopping = UniqueName("VtlW32HangStop");
    const auto startGuard = Guard(starting);
    const auto stopGuard = Guard(stopping);
    ServiceHandle hungStart = Create(starting, "--hang-start");
    ServiceHandle hungStop = Create(stopping, "--hang-stop");
    ASSERT_TRUE(hungStart);
    ASSERT_TRUE(hungStop);
    ServiceStatus status;
    ASSERT_NO_FATAL_FAILURE(StartAndWait(platform_, hungStop, {kServiceRunning}, status));
    ASSERT_EQ(platform_.ControlService(hungStop, kServiceControlStop, status), kErrorSuccess);
    ASSERT_EQ(platform_.StartService(hungStart, {}), kErrorSuccess);
    ServiceStatus first;
    ASSERT_EQ(platform_.QueryServiceStatus(hungStart, first), kErrorSuccess);
    EXPECT_EQ(first.currentState, kServiceStartPending);
    platform_.Sleep(800);
    ASSERT_EQ(platform_.QueryServiceStatus(hungStart, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStartPending);
    EXPECT_GT(status.checkPoint, first.checkPoint);
    ASSERT_EQ(platform_.QueryServiceStatus(hungStop, status), kErrorSuccess);
    EXPECT_EQ(status.currentState, kServiceStopPending);
    EXPECT_TRUE(startGuard->Remove());
    EXPECT_TRUE(stopGuard->Remove());
}

}  // namespace
}  // namespace vtl::win32

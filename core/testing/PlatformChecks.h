#pragma once
// Helpers of the tests that drive a platform backend, real or simulated, over
// the platform interface alone: test services and registry keys that are
// removed whatever the test does, and waits on service states. Time passes only
// through the platform's Sleep and TickCount.

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"
#include "core/Registry.h"
#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"

namespace vtl::testing {

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Waits until the service reports one of the states or timeoutMs passed; the
// last status read is left in status. True when the state was reached.
inline bool WaitForState(Platform& platform, const ServiceHandle& service,
                         std::initializer_list<std::uint32_t> states, std::uint32_t timeoutMs,
                         ServiceStatus& status, std::uint32_t pollMs = 50) {
    const std::uint64_t end = platform.TickCount() + timeoutMs;
    for (;;) {
        if (platform.QueryServiceStatus(service, status) == kErrorSuccess) {
            for (const auto state : states)
                if (status.currentState == state) return true;
        }
        if (platform.TickCount() >= end) return false;
        platform.Sleep(pollMs);
    }
}

// Removes a service when the test ends, however it ends: asks it to stop, waits
// a little, lets the backend force the rest (a hung test service), deletes it.
class ServiceGuard {
  public:
    // forceStop, when given, ends a service that does not stop when asked.
    using ForceStop = std::function<void(const std::string& serviceName)>;

    ServiceGuard(Platform& platform, std::string machine, std::string serviceName,
                 ForceStop forceStop = {})
        : platform_(platform),
          machine_(std::move(machine)),
          name_(std::move(serviceName)),
          forceStop_(std::move(forceStop)) {}
    ServiceGuard(const ServiceGuard&) = delete;
    ServiceGuard& operator=(const ServiceGuard&) = delete;
    ~ServiceGuard() { Remove(); }

    [[nodiscard]] const std::string& name() const { return name_; }

    // Stops and deletes the service now; true when it is gone or marked for delete.
    bool Remove() noexcept {
        try {
            auto [manager, managerError] = platform_.OpenSCManager(machine_, kScManagerAllAccess);
            if (!manager) return false;
            auto [service, openError] =
                platform_.OpenService(manager, name_, kServiceStop | kServiceQueryStatus | kDelete);
            if (!service) return openError == kErrorServiceDoesNotExist;
            ServiceStatus status;
            if (platform_.QueryServiceStatus(service, status) == kErrorSuccess &&
                status.currentState != kServiceStopped) {
                const ErrorCode stopError =
                    platform_.ControlService(service, kServiceControlStop, status);
                const bool stopped =
                    stopError == kErrorSuccess &&
                    WaitForState(platform_, service, {kServiceStopped}, 5000, status);
                // A forced end is not waited for: some service managers (Wine's)
                // go on reporting the last state of a process that is gone, and
                // the delete below is only marked until the manager lets go.
                if (!stopped && forceStop_) forceStop_(name_);
            }
            const ErrorCode error = platform_.DeleteService(service);
            return error == kErrorSuccess || error == kErrorServiceMarkedForDelete;
        } catch (...) {
            return false;
        }
    }

  private:
    Platform& platform_;
    std::string machine_;
    std::string name_;
    ForceStop forceStop_;
};

// Deletes a registry key and everything below it when the test ends.
class RegistryKeyGuard {
  public:
    RegistryKeyGuard(RegistryApi& registry, std::string path)
        : registry_(registry), path_(std::move(path)) {
        (void)registry_.RegDeleteTree(LocalMachineKey(), path_);  // left over by a crash
    }
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;
    ~RegistryKeyGuard() { (void)registry_.RegDeleteTree(LocalMachineKey(), path_); }
    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    RegistryApi& registry_;
    std::string path_;
};

// The test service's binary path with options: the quoted program and the options.
inline std::string TestServiceCommand(const std::string& folder, const std::string& options) {
    std::string command = "\"" + folder + "\\VtlTestSvc.exe\"";
    if (!options.empty()) command += " " + options;
    return command;
}

// A new demand-start test service; the handle has all access.
inline ServiceManagerApi::Created CreateTestService(Platform& platform,
                                                    const ScManagerHandle& manager,
                                                    const std::string& name,
                                                    const std::string& command,
                                                    std::string displayName = {}) {
    ServiceManagerApi::CreateArgs args;
    args.serviceName = name;
    args.displayName = displayName.empty() ? name : std::move(displayName);
    args.binaryPathName = command;
    return platform.CreateService(manager, args);
}

// Starts a created test service and follows it to one of the end states.
inline void StartAndWait(Platform& platform, const ServiceHandle& service,
                         std::initializer_list<std::uint32_t> endStates, ServiceStatus& status,
                         std::uint32_t timeoutMs = 15000) {
    ASSERT_EQ(platform.StartService(service, {}), kErrorSuccess);
    ASSERT_TRUE(WaitForState(platform, service, endStates, timeoutMs, status))
        << "state " << status.currentState;
}

}  // namespace vtl::testing
